#pragma once

#include <QChar>
#include <QStringView>

namespace tallymere {

/// The character that starts at `text[i]`: a surrogate pair is read as its one character, and
/// `i` is then moved onto the pair's low half; a lone surrogate is taken as it is.
inline char32_t codePointAt(QStringView text, qsizetype &i)
{
    const char32_t c = text[i].unicode();
    if (QChar::isHighSurrogate(c) && i + 1 < text.size() && text[i + 1].isLowSurrogate())
        return QChar::surrogateToUcs4(char16_t(c), text[++i].unicode());
    return c;
}

} // namespace tallymere
