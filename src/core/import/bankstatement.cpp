#include "core/import/bankstatement.h"

#include "core/import/camtreader.h"
#include "core/import/csvreader.h"
#include "core/import/ofxreader.h"
#include "core/import/qifreader.h"
#include "core/import/textdecoding.h"

namespace tallymere::import {
namespace {

const QString formats = QStringLiteral("CSV, OFX, QIF or CAMT.053");

/// What a file is when its first bytes already tell that it is no statement.
QString binaryKind(const QByteArray &bytes)
{
    if (bytes.startsWith("%PDF"))
        return QStringLiteral("a PDF document");
    if (bytes.startsWith("PK\x03\x04"))
        return QStringLiteral("a ZIP archive or a spreadsheet workbook");
    if (bytes.startsWith("\xD0\xCF\x11\xE0"))
        return QStringLiteral("an Office document");
    return {};
}

Format detectedFormat(QStringView text, const QString &fileName)
{
    if (isOfx(text))
        return Format::Ofx;
    switch (xmlKind(text)) {
    case XmlKind::Camt053:
        return Format::Camt;
    case XmlKind::Ofx:
        return Format::Ofx;
    case XmlKind::OtherCamt:
        throw ReadError(fileName, 0,
                        QStringLiteral("is a CAMT account report or notification, not a CAMT.053 statement"));
    case XmlKind::Other:
        throw ReadError(fileName, 0, QStringLiteral("is an XML file, but no OFX or CAMT.053 statement"));
    case XmlKind::NotXml:
        break;
    }
    if (isQif(text))
        return Format::Qif;
    return Format::Csv;
}

} // namespace

BankStatement readStatement(const QByteArray &bytes, const QString &fileName, const ReadOptions &options)
{
    if (const QString kind = binaryKind(bytes); !kind.isEmpty())
        throw ReadError(fileName, 0, QStringLiteral("is %1, not a bank statement in %2").arg(kind, formats));
    const std::optional<DecodedText> decoded = decodeStatement(bytes, options.encoding);
    if (!decoded)
        throw ReadError(fileName, 0, QStringLiteral("the encoding \"%1\" is unknown").arg(options.encoding));
    const QString &text = decoded->text;
    if (text.trimmed().isEmpty())
        throw ReadError(fileName, 0, QStringLiteral("is empty"));
    if (text.contains(QChar(0)))
        throw ReadError(fileName, 0, QStringLiteral("is no text file, not a bank statement in %1").arg(formats));

    const Format format = options.format ? *options.format : detectedFormat(text, fileName);
    BankStatement statement;
    switch (format) {
    case Format::Csv:
        statement = readCsv(text, fileName, options, !options.format.has_value());
        break;
    case Format::Ofx:
        if (!isOfx(text) && xmlKind(text) != XmlKind::Ofx)
            throw ReadError(fileName, 0, QStringLiteral("is no OFX file"));
        statement = readOfx(text, fileName, options);
        break;
    case Format::Qif:
        if (!isQif(text))
            throw ReadError(fileName, 0, QStringLiteral("is no QIF file: it begins with no !Type line"));
        statement = readQif(text, fileName, options);
        break;
    case Format::Camt:
        if (xmlKind(text) != XmlKind::Camt053)
            throw ReadError(fileName, 0, QStringLiteral("is no CAMT.053 statement"));
        statement = readCamt(text, fileName, options);
        break;
    }
    statement.choices.format = format;
    statement.choices.encoding = decoded->encoding;
    return statement;
}

} // namespace tallymere::import
