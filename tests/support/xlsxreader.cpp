#include "support/xlsxreader.h"

#include <algorithm>
#include <optional>
#include <stdexcept>
#include <vector>

#include <QProcess>
#include <QXmlStreamReader>

namespace tallymere::test {
namespace {

[[noreturn]] void fail(const QString &what)
{
    throw std::runtime_error(what.toStdString());
}

// One member of the workbook's zip container; nullopt when the container has no such member.
std::optional<QByteArray> member(const QString &path, const QString &name)
{
    QProcess unzip;
    unzip.start(QStringLiteral("unzip"), {QStringLiteral("-p"), path, name});
    if (!unzip.waitForFinished(60000))
        fail(QStringLiteral("unzip did not finish on %1").arg(path));
    if (unzip.exitStatus() != QProcess::NormalExit)
        fail(QStringLiteral("unzip crashed on %1").arg(path));
    // 11: no member of that name.
    if (unzip.exitCode() == 11)
        return std::nullopt;
    if (unzip.exitCode() != 0)
        fail(QStringLiteral("%1 is no readable zip file: %2").arg(path, QString::fromLocal8Bit(unzip.readAllStandardError())));
    return unzip.readAllStandardOutput();
}

void checkXml(const QXmlStreamReader &xml, const QString &name)
{
    if (xml.hasError())
        fail(QStringLiteral("%1: %2").arg(name, xml.errorString()));
}

// Texts in the file escape some characters as "_xHHHH_".
QString unescape(const QString &text)
{
    if (!text.contains(QLatin1String("_x")))
        return text;
    QString plain;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == u'_' && i + 6 < text.size() && text[i + 1] == u'x' && text[i + 6] == u'_') {
            bool ok = false;
            const uint code = text.mid(i + 2, 4).toUInt(&ok, 16);
            if (ok) {
                plain += QChar(char16_t(code));
                i += 6;
                continue;
            }
        }
        plain += text[i];
    }
    return plain;
}

// The text of an <si> or <is> element: all its <t> pieces (plain text or rich text runs).
QString readStringItem(QXmlStreamReader &xml)
{
    QString text;
    int depth = 1;
    while (depth > 0 && !xml.atEnd()) {
        const auto token = xml.readNext();
        if (token == QXmlStreamReader::StartElement) {
            if (xml.name() == u"t")
                text += xml.readElementText();
            else if (xml.name() == u"rPh") // phonetic guides are no part of the text
                xml.skipCurrentElement();
            else
                ++depth;
        } else if (token == QXmlStreamReader::EndElement) {
            --depth;
        }
    }
    return unescape(text);
}

QStringList readSharedStrings(const QByteArray &data)
{
    QStringList strings;
    QXmlStreamReader xml(data);
    while (!xml.atEnd()) {
        if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == u"si")
            strings.append(readStringItem(xml));
    }
    checkXml(xml, QStringLiteral("sharedStrings.xml"));
    return strings;
}

bool isDateFormatCode(const QString &code)
{
    bool quoted = false;
    bool bracketed = false;
    for (QChar c : code) {
        if (c == u'"')
            quoted = !quoted;
        else if (!quoted && c == u'[')
            bracketed = true;
        else if (!quoted && c == u']')
            bracketed = false;
        else if (!quoted && !bracketed && (c == u'y' || c == u'd' || c == u'Y' || c == u'D'))
            return true;
    }
    return false;
}

// For each cell style (the s attribute of a cell): whether it shows its number as a date.
std::vector<bool> readDateStyles(const QByteArray &data)
{
    std::map<int, QString> codes;
    std::vector<int> formatOfStyle;
    QXmlStreamReader xml(data);
    bool inCellXfs = false;
    while (!xml.atEnd()) {
        const auto token = xml.readNext();
        if (token == QXmlStreamReader::StartElement) {
            if (xml.name() == u"numFmt")
                codes[xml.attributes().value(QLatin1String("numFmtId")).toInt()] = xml.attributes().value(QLatin1String("formatCode")).toString();
            else if (xml.name() == u"cellXfs")
                inCellXfs = true;
            else if (inCellXfs && xml.name() == u"xf")
                formatOfStyle.push_back(xml.attributes().value(QLatin1String("numFmtId")).toInt());
        } else if (token == QXmlStreamReader::EndElement && xml.name() == u"cellXfs") {
            inCellXfs = false;
        }
    }
    checkXml(xml, QStringLiteral("styles.xml"));

    std::vector<bool> dateStyles;
    for (int id : formatOfStyle) {
        const bool builtInDate = (id >= 14 && id <= 22) || (id >= 45 && id <= 47);
        const auto code = codes.find(id);
        dateStyles.push_back(code != codes.end() ? isDateFormatCode(code->second) : builtInDate);
    }
    return dateStyles;
}

// "BC12" -> row 12, column 55.
std::pair<int, int> cellPosition(QStringView reference)
{
    int column = 0;
    qsizetype i = 0;
    while (i < reference.size() && reference[i] >= u'A' && reference[i] <= u'Z')
        column = column * 26 + (reference[i++].unicode() - u'A' + 1);
    bool ok = false;
    const int row = reference.mid(i).toInt(&ok);
    if (!ok || column == 0)
        fail(QStringLiteral("bad cell reference %1").arg(reference));
    return {row, column};
}

// Day numbers of the 1900 date system, which counts a 29 February 1900 that never was.
QDate dateOfSerial(double serial)
{
    const auto day = qint64(serial);
    if (day < 60)
        return QDate(1899, 12, 31).addDays(day);
    if (day == 60)
        return {};
    return QDate(1899, 12, 30).addDays(day);
}

} // namespace

XlsxSheet XlsxSheet::read(const QString &path)
{
    const std::optional<QByteArray> sheetXml = member(path, QStringLiteral("xl/worksheets/sheet1.xml"));
    if (!sheetXml)
        fail(QStringLiteral("%1 has no first sheet").arg(path));
    const std::optional<QByteArray> sharedXml = member(path, QStringLiteral("xl/sharedStrings.xml"));
    const QStringList shared = sharedXml ? readSharedStrings(*sharedXml) : QStringList();
    const std::optional<QByteArray> stylesXml = member(path, QStringLiteral("xl/styles.xml"));
    const std::vector<bool> dateStyles = stylesXml ? readDateStyles(*stylesXml) : std::vector<bool>();

    XlsxSheet sheet;
    QXmlStreamReader xml(*sheetXml);
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        if (xml.name() == u"col") {
            const auto attributes = xml.attributes();
            const int first = attributes.value(QLatin1String("min")).toInt();
            const int last = attributes.value(QLatin1String("max")).toInt();
            const double width = attributes.value(QLatin1String("width")).toDouble();
            for (int column = first; column <= last && column > 0; ++column)
                sheet.m_widths[column] = width;
            continue;
        }
        if (xml.name() != u"c")
            continue;

        const auto attributes = xml.attributes();
        const auto position = cellPosition(attributes.value(QLatin1String("r")));
        const QString type = attributes.value(QLatin1String("t")).toString();
        const int style = attributes.value(QLatin1String("s")).toInt();
        QString value;
        QString inlineText;
        bool hasInline = false;
        while (xml.readNextStartElement()) {
            if (xml.name() == u"v") {
                value = xml.readElementText();
            } else if (xml.name() == u"is") {
                inlineText = readStringItem(xml);
                hasInline = true;
            } else {
                xml.skipCurrentElement();
            }
        }

        XlsxCell cell;
        if (type == u"inlineStr") {
            cell.text = inlineText;
        } else if (type == u"s") {
            const int index = value.toInt();
            if (index < 0 || index >= shared.size())
                fail(QStringLiteral("shared string %1 out of range").arg(index));
            cell.text = shared.at(index);
        } else if (type == u"str") {
            cell.text = unescape(value);
        } else if (type.isEmpty() || type == u"n") {
            if (value.isEmpty() && !hasInline)
                continue; // a blank cell that only carries a format
            bool ok = false;
            cell.number = value.toDouble(&ok);
            if (!ok)
                fail(QStringLiteral("bad number %1").arg(value));
            const bool isDate = style >= 0 && std::size_t(style) < dateStyles.size() && dateStyles[std::size_t(style)];
            cell.type = isDate ? XlsxCell::Type::Date : XlsxCell::Type::Number;
            if (isDate)
                cell.date = dateOfSerial(cell.number);
        } else {
            fail(QStringLiteral("cell type %1 not read by this reader").arg(type));
        }
        sheet.m_cells[position] = cell;
    }
    checkXml(xml, QStringLiteral("sheet1.xml"));
    return sheet;
}

const XlsxCell *XlsxSheet::cell(int row, int column) const
{
    const auto found = m_cells.find({row, column});
    return found == m_cells.end() ? nullptr : &found->second;
}

int XlsxSheet::lastRow() const
{
    return m_cells.empty() ? 0 : m_cells.rbegin()->first.first;
}

int XlsxSheet::lastColumn() const
{
    int last = 0;
    for (const auto &entry : m_cells)
        last = std::max(last, entry.first.second);
    return last;
}

QString XlsxSheet::shown(int row, int column) const
{
    const XlsxCell *c = cell(row, column);
    if (!c)
        return {};
    switch (c->type) {
    case XlsxCell::Type::Text:
        return c->text;
    case XlsxCell::Type::Number:
        return QString::number(c->number, 'g', 15);
    case XlsxCell::Type::Date:
        return c->date.toString(Qt::ISODate);
    }
    return {};
}

QStringList XlsxSheet::shownRow(int row) const
{
    QStringList texts;
    const int last = lastColumn();
    for (int column = 1; column <= last; ++column)
        texts.append(shown(row, column));
    return texts;
}

double XlsxSheet::columnWidth(int column) const
{
    const auto found = m_widths.find(column);
    return found == m_widths.end() ? 0 : found->second;
}

} // namespace tallymere::test
