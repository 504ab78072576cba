#include "core/import/textdecoding.h"

#include <memory>
#include <type_traits>

#include <QRegularExpression>

#include <uchardet/uchardet.h>
#include <unicode/ucnv.h>
#include <unicode/ucnv_err.h>

namespace tallymere::import {
namespace {

const QString utf8Name = QStringLiteral("UTF-8");
const QString windows1252 = QStringLiteral("windows-1252");

struct ConverterClose {
    void operator()(UConverter *converter) const noexcept { ucnv_close(converter); }
};
using Converter = std::unique_ptr<UConverter, ConverterClose>;

Converter openConverter(const QString &name)
{
    UErrorCode status = U_ZERO_ERROR;
    Converter converter(ucnv_open(name.toLatin1().constData(), &status));
    if (U_FAILURE(status))
        return nullptr;
    return converter;
}

/// The bytes decoded by ICU; `strict`: nothing when a byte sequence is illegal or unmapped,
/// otherwise such bytes become U+FFFD.
std::optional<QString> decode(const QByteArray &bytes, const QString &charset, bool strict)
{
    Converter converter = openConverter(charset);
    if (!converter)
        return std::nullopt;
    UErrorCode status = U_ZERO_ERROR;
    if (strict) {
        ucnv_setToUCallBack(converter.get(), UCNV_TO_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &status);
    }
    // Most charsets need at most one UTF-16 unit per byte; ICU says so when one needs more.
    QString text(bytes.size() + 2, Qt::Uninitialized);
    int32_t length = ucnv_toUChars(converter.get(), reinterpret_cast<UChar *>(text.data()), int32_t(text.size()),
                                   bytes.constData(), int32_t(bytes.size()), &status);
    if (status == U_BUFFER_OVERFLOW_ERROR) {
        status = U_ZERO_ERROR;
        ucnv_resetToUnicode(converter.get());
        text.resize(length);
        length = ucnv_toUChars(converter.get(), reinterpret_cast<UChar *>(text.data()), int32_t(text.size()),
                               bytes.constData(), int32_t(bytes.size()), &status);
    }
    if (U_FAILURE(status))
        return std::nullopt;
    text.truncate(length);
    if (text.startsWith(QChar::ByteOrderMark))
        text.remove(0, 1);
    return text;
}

bool hasNonAscii(const QByteArray &bytes)
{
    for (const char c : bytes) {
        if (static_cast<unsigned char>(c) >= 0x80)
            return true;
    }
    return false;
}

/// Bytes that ISO-8859-1 and -15 give to control characters and Windows-1252 to € and letters.
bool hasC1Bytes(const QByteArray &bytes)
{
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x80 && byte <= 0x9F)
            return true;
    }
    return false;
}

bool isLatin1Family(const QString &charset)
{
    const QString upper = charset.toUpper();
    return upper == u"ISO-8859-1" || upper == u"ISO-8859-15" || upper == u"LATIN1" || upper == u"US-ASCII"
        || upper == u"ASCII";
}

/// OFX 1.x names its charsets in its own way ("1252", "ISO-8859-1", "NONE").
QString charsetOfOfxName(const QString &name)
{
    if (name.isEmpty() || name.compare(u"NONE", Qt::CaseInsensitive) == 0)
        return {};
    static const QRegularExpression codePage(QStringLiteral("^(?:cp|windows-?)?(125[0-8])$"),
                                             QRegularExpression::CaseInsensitiveOption);
    if (const auto match = codePage.match(name); match.hasMatch())
        return QStringLiteral("windows-") + match.captured(1);
    static const QRegularExpression iso(QStringLiteral("^(?:iso-?)?8859-([0-9]{1,2})$"),
                                        QRegularExpression::CaseInsensitiveOption);
    if (const auto match = iso.match(name); match.hasMatch())
        return QStringLiteral("ISO-8859-") + match.captured(1);
    return name;
}

/// uchardet's guess, kept to the Western charsets: on the few accented letters of a statement it
/// takes French for ISO-8859-2 and Spanish for ISO-8859-10, where Windows-1252 reads them right.
QString guessedCharset(const QByteArray &bytes)
{
    std::unique_ptr<std::remove_pointer_t<uchardet_t>, decltype(&uchardet_delete)> detector(uchardet_new(),
                                                                                            &uchardet_delete);
    uchardet_handle_data(detector.get(), bytes.constData(), size_t(bytes.size()));
    uchardet_data_end(detector.get());
    const QString guess = QString::fromLatin1(uchardet_get_charset(detector.get())).toUpper();
    static const QRegularExpression otherLatin(
        QStringLiteral("^(ISO-8859-(2|3|4|9|10|13|14|16)|WINDOWS-125[0478]|MAC-.*|IBM8.*|)$"));
    if (guess == u"ASCII" || guess == u"ISO-8859-1" || guess == u"WINDOWS-1252" || otherLatin.match(guess).hasMatch())
        return windows1252;
    return guess;
}

/// Windows-1252 and ISO-8859-1 agree beyond 0x9F; ISO-8859-15 differs in eight places, among
/// them the euro sign at 0xA4, where the others have the currency sign ¤ that no bank writes.
QString westernCharset(const QString &windowsText)
{
    return windowsText.contains(QChar(0xA4)) ? QStringLiteral("ISO-8859-15") : windows1252;
}

} // namespace

QString declaredCharset(const QByteArray &bytes)
{
    // Both headers stand at the top of the file, in ASCII.
    const QString head = QString::fromLatin1(bytes.left(1024));
    static const QRegularExpression xmlDeclaration(
        QStringLiteral(R"(^\s*<\?xml[^>]*\bencoding\s*=\s*["']([A-Za-z0-9._:-]+)["'])"));
    if (const auto match = xmlDeclaration.match(head); match.hasMatch())
        return match.captured(1);
    static const QRegularExpression ofxField(QStringLiteral(R"(^\s*(ENCODING|CHARSET)\s*:\s*(\S+)\s*$)"),
                                             QRegularExpression::MultilineOption);
    QString encoding;
    QString charset;
    for (auto it = ofxField.globalMatch(head); it.hasNext();) {
        const auto match = it.next();
        (match.captured(1) == u"ENCODING" ? encoding : charset) = match.captured(2);
    }
    if (encoding.compare(u"UTF-8", Qt::CaseInsensitive) == 0)
        return utf8Name;
    return charsetOfOfxName(charset);
}

std::optional<DecodedText> decodeStatement(const QByteArray &bytes, const QString &forced)
{
    if (!forced.isEmpty()) {
        std::optional<QString> text = decode(bytes, forced, false);
        if (!text)
            return std::nullopt;
        return DecodedText{*std::move(text), forced};
    }

    struct Mark {
        const char *bytes;
        const char *charset;
    };
    // UTF-32 is no statement's charset; its LE mark begins like UTF-16's.
    for (const Mark &mark : {Mark{"\xEF\xBB\xBF", "UTF-8"}, Mark{"\xFF\xFE", "UTF-16LE"}, Mark{"\xFE\xFF", "UTF-16BE"}}) {
        if (bytes.startsWith(mark.bytes)) {
            const QString charset = QString::fromLatin1(mark.charset);
            return DecodedText{decode(bytes, charset, false).value_or(QString()), charset};
        }
    }

    const bool nonAscii = hasNonAscii(bytes);
    if (!nonAscii)
        return DecodedText{QString::fromLatin1(bytes), utf8Name};
    if (std::optional<QString> text = decode(bytes, utf8Name, true))
        return DecodedText{*std::move(text), utf8Name};

    const QString declared = declaredCharset(bytes);
    if (!declared.isEmpty() && declared.compare(utf8Name, Qt::CaseInsensitive) != 0
        && !(isLatin1Family(declared) && hasC1Bytes(bytes))) {
        if (std::optional<QString> text = decode(bytes, declared, true))
            return DecodedText{*std::move(text), declared};
    }

    QString charset = hasC1Bytes(bytes) ? windows1252 : guessedCharset(bytes);
    std::optional<QString> text = decode(bytes, charset, true);
    if (!text) {
        // A guess that does not decode the bytes is no answer.
        charset = windows1252;
        text = decode(bytes, charset, false);
    }
    if (charset == windows1252 && !hasC1Bytes(bytes)) {
        charset = westernCharset(*text);
        if (charset != windows1252)
            text = decode(bytes, charset, false);
    }
    return DecodedText{text.value_or(QString()), charset};
}

} // namespace tallymere::import
