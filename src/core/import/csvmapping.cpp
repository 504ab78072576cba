#include "core/import/csvmapping.h"

#include <QCryptographicHash>

#include "core/errors/error.h"
#include "core/settings/settings.h"

namespace tallymere::import::csvMapping {
namespace {

constexpr const char *kRoles[] = {"ignore", "date", "payee", "memo", "category", "amount", "debit", "credit"};
constexpr const char *kOrders[] = {"ymd", "dmy", "mdy"};

/// One key per header row: the same names in the same order, letter case and blanks aside.
QString keyOf(const QStringList &header)
{
    QStringList names;
    for (const QString &name : header)
        names.append(name.simplified().toCaseFolded());
    const QByteArray digest = QCryptographicHash::hash(names.join(QChar(0x1f)).toUtf8(), QCryptographicHash::Sha1);
    return QStringLiteral("CsvMapping-") + QString::fromLatin1(digest.toHex());
}

template<std::size_t N>
int indexIn(const char *const (&names)[N], QStringView name)
{
    for (std::size_t i = 0; i < N; ++i) {
        if (name == QLatin1String(names[i]))
            return int(i);
    }
    return -1;
}

} // namespace

ReadOptions optionsOf(const ReadChoices &choices)
{
    ReadOptions options;
    options.format = choices.format;
    options.encoding = choices.encoding;
    options.dateOrder = choices.dateOrder;
    options.decimalMark = choices.decimalMark;
    if (choices.format == Format::Csv) {
        options.delimiter = choices.delimiter;
        options.skipLines = choices.skipLines;
        options.headerRow = choices.headerRow;
        options.columns = choices.columns;
    }
    return options;
}

QString text(const ReadChoices &choices)
{
    QStringList roles;
    for (const ColumnRole role : choices.columns)
        roles.append(QLatin1String(kRoles[int(role)]));
    QStringList items{QStringLiteral("delimiter=%1").arg(choices.delimiter.unicode()),
                      QStringLiteral("encoding=%1").arg(choices.encoding),
                      QStringLiteral("skip=%1").arg(choices.skipLines),
                      QStringLiteral("header=%1").arg(choices.headerRow ? 1 : 0),
                      QStringLiteral("columns=%1").arg(roles.join(u' ')),
                      QStringLiteral("decimal=%1").arg(choices.decimalMark.unicode())};
    if (choices.dateOrder)
        items.append(QStringLiteral("dates=%1").arg(QLatin1String(kOrders[int(*choices.dateOrder)])));
    return items.join(u';');
}

std::optional<ReadOptions> fromText(const QString &text)
{
    ReadOptions options;
    options.format = Format::Csv;
    for (const QString &item : text.split(u';', Qt::SkipEmptyParts)) {
        const qsizetype equals = item.indexOf(u'=');
        if (equals < 0)
            return std::nullopt;
        const QStringView name = QStringView(item).left(equals);
        const QString value = item.mid(equals + 1);
        bool ok = true;
        if (name == u"delimiter") {
            options.delimiter = QChar(char16_t(value.toUShort(&ok)));
        } else if (name == u"encoding") {
            options.encoding = value;
        } else if (name == u"skip") {
            options.skipLines = value.toInt(&ok);
        } else if (name == u"header") {
            options.headerRow = value == u"1";
        } else if (name == u"decimal") {
            options.decimalMark = QChar(char16_t(value.toUShort(&ok)));
        } else if (name == u"dates") {
            const int order = indexIn(kOrders, value);
            ok = order >= 0;
            if (ok)
                options.dateOrder = DateOrder(order);
        } else if (name == u"columns") {
            std::vector<ColumnRole> roles;
            for (const QString &role : value.split(u' ', Qt::SkipEmptyParts)) {
                const int at = indexIn(kRoles, role);
                ok = ok && at >= 0;
                roles.push_back(ColumnRole(std::max(at, 0)));
            }
            options.columns = std::move(roles);
        }
        if (!ok)
            return std::nullopt;
    }
    return options;
}

void remember(const ReadChoices &choices)
{
    if (choices.format != Format::Csv || !choices.headerRow || choices.header.isEmpty())
        return;
    settings::SaveSetting(QLatin1String(settings::kAppName), QLatin1String(settings::kSection), keyOf(choices.header),
                          text(choices));
}

std::optional<ReadOptions> recall(const QStringList &header)
{
    if (header.isEmpty())
        return std::nullopt;
    try {
        const QString kept = settings::GetSetting(QLatin1String(settings::kAppName), QLatin1String(settings::kSection),
                                                  keyOf(header));
        return kept.isEmpty() ? std::nullopt : fromText(kept);
    } catch (const Error &) {
        return std::nullopt; // nothing remembered can be read: the file is read as it comes
    }
}

} // namespace tallymere::import::csvMapping
