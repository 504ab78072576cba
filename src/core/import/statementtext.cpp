#include "core/import/statementtext.h"

#include <array>
#include <optional>
#include <utility>

namespace tallymere::import {

QString cleanText(QStringView text)
{
    // QChar::isSpace takes the no-break space and the other Unicode blanks as well.
    return text.toString().simplified();
}

namespace {

/// The character an entity name stands for, or nothing.
std::optional<char32_t> entityValue(QStringView name)
{
    static constexpr std::array<std::pair<const char16_t *, char32_t>, 5> predefined{{
        {u"amp", U'&'}, {u"lt", U'<'}, {u"gt", U'>'}, {u"quot", U'"'}, {u"apos", U'\''},
    }};
    for (const auto &[entity, value] : predefined) {
        if (name == QStringView(entity))
            return value;
    }
    if (name.size() < 2 || name[0] != u'#')
        return std::nullopt;
    bool ok = false;
    const bool hex = name[1] == u'x' || name[1] == u'X';
    const uint code = hex ? name.mid(2).toUInt(&ok, 16) : name.mid(1).toUInt(&ok, 10);
    // No NUL, no surrogate halves, nothing beyond Unicode.
    if (!ok || code == 0 || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
        return std::nullopt;
    return char32_t(code);
}

} // namespace

QString resolveEntities(QStringView text)
{
    if (!text.contains(u'&'))
        return text.toString();
    QString resolved;
    resolved.reserve(text.size());
    qsizetype i = 0;
    while (i < text.size()) {
        const qsizetype amp = text.indexOf(u'&', i);
        if (amp < 0) {
            resolved += text.mid(i);
            break;
        }
        resolved += text.mid(i, amp - i);
        // Entity names are short; a far ";" belongs to other text.
        const qsizetype semicolon = text.indexOf(u';', amp + 1);
        const auto value = semicolon > amp + 1 && semicolon - amp <= 12
            ? entityValue(text.mid(amp + 1, semicolon - amp - 1))
            : std::nullopt;
        if (!value) {
            resolved += u'&';
            i = amp + 1;
            continue;
        }
        const char32_t code = *value;
        resolved += QString::fromUcs4(&code, 1);
        i = semicolon + 1;
    }
    return resolved;
}

} // namespace tallymere::import
