#include "core/import/importkeys.h"

#include <QHash>
#include <QStringBuilder>


#include "core/db/connection.h"
#include "core/db/recordset.h"
#include "core/text/datetext.h"
#include "core/text/numerictext.h"

namespace tallymere::import::importKeys {
namespace {

// The parts of a key are joined by the unit separator, which no statement's text holds.
constexpr QChar kSeparator = u'\x1f';

const QString kCreateTable = QStringLiteral(
    "create table if not exists import_keys (key text primary key, income integer not null, "
    "sr_no integer not null) without rowid");

/// The amount as one text whatever the file's number of decimals: "-110.70" and "-110.7" are
/// the same amount.
QString amountPart(const QString &amount)
{
    QString plain = storedPlainDecimal(amount).value_or(amount.trimmed());
    if (plain.contains(u'.')) {
        while (plain.endsWith(u'0'))
            plain.chop(1);
        if (plain.endsWith(u'.'))
            plain.chop(1);
    }
    return plain;
}

} // namespace

std::vector<QByteArray> keysOf(const std::vector<BankTransaction> &transactions)
{
    std::vector<QByteArray> keys;
    keys.reserve(transactions.size());
    QHash<QString, int> seen;
    seen.reserve(qsizetype(transactions.size()));
    for (const BankTransaction &t : transactions) {
        // Dates and amounts lead, so the keys of one statement sort close together.
        QString base;
        if (t.bankId.isEmpty())
            base = dateText::iso(t.date) % kSeparator % amountPart(t.amount) % kSeparator % u"text" % kSeparator
                % t.payee % kSeparator % t.memo % kSeparator % t.checkNumber % kSeparator;
        else
            base = dateText::iso(t.date) % kSeparator % amountPart(t.amount) % kSeparator % u"id" % kSeparator
                % t.bankId % kSeparator;
        const int occurrence = ++seen[base];
        keys.push_back(QString(base % QString::number(occurrence)).toUtf8());
    }
    return keys;
}

bool tableExists(const Connection &ledger)
{
    Recordset rs;
    rs.Open(QStringLiteral("select 1 from sqlite_master where type='table' and name='import_keys'"), ledger);
    return !rs.Eof();
}

Lookup::Lookup(const Connection &ledger) : m_ledger(ledger)
{
    if (tableExists(ledger))
        m_find = std::make_unique<Recordset>();
}

Lookup::~Lookup() = default;

bool Lookup::inLedger(const QByteArray &key)
{
    if (!m_find)
        return false;
    const Parameters parameters{FieldValue{ValueType::Text, 0, 0, key}};
    if (!m_prepared) {
        m_find->Open(QStringLiteral("select 1 from import_keys k where k.key=? and case k.income"
                                    " when 1 then exists (select 1 from [income] where sr_no=k.sr_no)"
                                    " else exists (select 1 from [expenses] where sr_no=k.sr_no) end"),
                     m_ledger, parameters);
        m_prepared = true;
    } else {
        m_find->Rerun(parameters);
    }
    return !m_find->Eof();
}

std::vector<std::optional<KeyedEntry>> entriesOf(const Connection &ledger, const std::vector<const QByteArray *> &keys)
{
    std::vector<std::optional<KeyedEntry>> entries(keys.size());
    if (keys.empty() || !tableExists(ledger))
        return entries;
    Recordset find;
    for (std::size_t i = 0; i < keys.size(); ++i) {
        const Parameters parameters{FieldValue{ValueType::Text, 0, 0, *keys[i]}};
        if (i == 0)
            find.Open(QStringLiteral("select income, sr_no from import_keys where key=?"), ledger, parameters);
        else
            find.Rerun(parameters);
        if (!find.Eof())
            entries[i] = KeyedEntry{find.value(0).integer != 0, find.value(1).integer};
    }
    return entries;
}

std::array<std::unordered_set<long long>, 2> importedEntries(const Connection &ledger)
{
    std::array<std::unordered_set<long long>, 2> imported;
    if (!tableExists(ledger))
        return imported;
    Recordset rs;
    for (rs.Open(QStringLiteral("select income, sr_no from import_keys"), ledger); !rs.Eof(); rs.MoveNext())
        imported[rs.value(0).integer != 0].insert(rs.value(1).integer);
    return imported;
}

void prepareTable(Ledger::Batch &batch)
{
    batch.execute(kCreateTable);
}

void write(Ledger::Batch &batch, const QByteArray &key, bool income, long long srNo)
{
    batch.execute(QStringLiteral("insert or replace into import_keys (key, income, sr_no) values (?,?,?)"),
                  {FieldValue{ValueType::Text, 0, 0, key}, FieldValue{ValueType::Integer, income ? 1 : 0, 0, {}}, FieldValue{ValueType::Integer, srNo, 0, {}}});
}

} // namespace tallymere::import::importKeys
