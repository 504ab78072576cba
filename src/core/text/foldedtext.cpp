#include "core/text/foldedtext.h"

#include <QString>

#include "core/text/codepoint.h"

namespace tallymere::foldedText {
namespace {

char foldedAscii(char c)
{
    if (c >= 'A' && c <= 'Z')
        return char(c - 'A' + 'a');
    if ((c >= 0 && c < 0x20) || c == 0x7F)
        return ' ';
    return c;
}

bool isAscii(std::string_view utf8)
{
    for (const char c : utf8) {
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    }
    return true;
}

void appendWide(QStringView text, std::string &out)
{
    // Decomposed, an accented letter is its base letter followed by combining marks, which go.
    const QString decomposed = text.toString().normalized(QString::NormalizationForm_KD);
    QString kept;
    kept.reserve(decomposed.size());
    for (qsizetype i = 0; i < decomposed.size(); ++i) {
        const char32_t c = codePointAt(decomposed, i);
        switch (QChar::category(c)) {
        case QChar::Mark_NonSpacing:
        case QChar::Mark_SpacingCombining:
        case QChar::Mark_Enclosing:
            continue;
        case QChar::Other_Control:
            kept += QLatin1Char(' ');
            continue;
        default:
            break;
        }
        if (QChar::requiresSurrogates(c)) {
            kept += QChar(QChar::highSurrogate(c));
            kept += QChar(QChar::lowSurrogate(c));
        } else {
            kept += QChar(char16_t(c));
        }
    }
    out += kept.toCaseFolded().toStdString();
}

} // namespace

void append(std::string_view utf8, std::string &out)
{
    // Most ledger texts are plain ASCII: folded byte by byte, without a QString.
    if (isAscii(utf8)) {
        const std::size_t at = out.size();
        out.resize(at + utf8.size());
        for (std::size_t i = 0; i < utf8.size(); ++i)
            out[at + i] = foldedAscii(utf8[i]);
        return;
    }
    appendWide(QString::fromUtf8(utf8.data(), qsizetype(utf8.size())), out);
}

std::string of(std::string_view utf8)
{
    std::string out;
    append(utf8, out);
    return out;
}

std::string of(QStringView text)
{
    const QByteArray utf8 = text.toUtf8();
    return of(std::string_view(utf8.constData(), std::size_t(utf8.size())));
}

} // namespace tallymere::foldedText
