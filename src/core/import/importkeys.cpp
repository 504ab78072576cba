#include "core/import/importkeys.h"

#include <cstring>

#include <QCryptographicHash>
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
constexpr qsizetype kCompactKeySize = 16;

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

FieldValue keyValue(const QByteArray &key, ValueType type)
{
    return key.isEmpty() ? FieldValue{} : FieldValue{type, 0, 0, key};
}

} // namespace

std::vector<QByteArray> keysOf(const std::vector<BankTransaction> &transactions, KeyForm form)
{
    std::vector<QByteArray> keys;
    QCryptographicHash digest(QCryptographicHash::Md5);
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
        QByteArray text = QString(base % QString::number(occurrence)).toUtf8();
        if (form == KeyForm::Text) {
            keys.push_back(std::move(text));
            continue;
        }
        // The day leads, big-endian, so the keys of one statement sort close together in the
        // table; 12 bytes of the digest tell apart the transactions of one day.
        QByteArray key(kCompactKeySize, Qt::Uninitialized);
        const auto day = quint32(t.date.toJulianDay());
        for (int i = 0; i < 4; ++i)
            key[i] = char(day >> (24 - 8 * i));
        digest.reset();
        digest.addData(text);
        std::memcpy(key.data() + 4, digest.resultView().data(), kCompactKeySize - 4);
        keys.push_back(std::move(key));
    }
    return keys;
}

bool tableExists(const Connection &ledger)
{
    Recordset rs;
    rs.Open(QStringLiteral("select 1 from sqlite_master where type='table' and name='import_keys'"), ledger);
    return !rs.Eof();
}

bool hasTextKeys(const Connection &ledger)
{
    // Texts sort before blobs: the first key tells.
    if (!tableExists(ledger))
        return false;
    Recordset rs;
    rs.Open(QStringLiteral("select typeof(key) from import_keys order by key limit 1"), ledger);
    return !rs.Eof() && rs.Fields(0) == QLatin1String("text");
}

Lookup::Lookup(const Connection &ledger) : m_ledger(ledger)
{
    if (tableExists(ledger)) {
        m_find = std::make_unique<Recordset>();
        m_textKeys = hasTextKeys(ledger);
    }
}

Lookup::~Lookup() = default;

bool Lookup::inLedger(const QByteArray &key, const QByteArray &textKey)
{
    if (!m_find)
        return false;
    const Parameters parameters{keyValue(key, ValueType::Blob), keyValue(textKey, ValueType::Text)};
    if (!m_prepared) {
        m_find->Open(QStringLiteral("select 1 from import_keys k where k.key in (?,?) and case k.income"
                                    " when 1 then exists (select 1 from [income] where sr_no=k.sr_no)"
                                    " else exists (select 1 from [expenses] where sr_no=k.sr_no) end"),
                     m_ledger, parameters);
        m_prepared = true;
    } else {
        m_find->Rerun(parameters);
    }
    return !m_find->Eof();
}

std::vector<KeyedEntries> entriesOf(const Connection &ledger,
                                    const std::vector<std::pair<const QByteArray *, const QByteArray *>> &keys)
{
    std::vector<KeyedEntries> entries(keys.size());
    if (keys.empty() || !tableExists(ledger))
        return entries;
    Recordset find;
    for (std::size_t i = 0; i < keys.size(); ++i) {
        const Parameters parameters{keyValue(*keys[i].first, ValueType::Blob), keyValue(*keys[i].second, ValueType::Text)};
        if (i == 0)
            find.Open(QStringLiteral("select income, sr_no, typeof(key)='text' from import_keys where key in (?,?)"),
                      ledger, parameters);
        else
            find.Rerun(parameters);
        for (; !find.Eof(); find.MoveNext())
            entries[i][find.value(2).integer != 0] = KeyedEntry{find.value(0).integer != 0, find.value(1).integer};
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

Writer::Writer(Ledger::Batch &batch)
    : m_batch(batch),
      m_row{FieldValue{ValueType::Blob, 0, 0, {}}, FieldValue::ofInteger(0), FieldValue::ofInteger(0)}
{
}

void Writer::write(const QByteArray &key, bool income, long long srNo)
{
    m_row[0].bytes = key;
    m_row[1].integer = income ? 1 : 0;
    m_row[2].integer = srNo;
    m_batch.execute(QStringLiteral("insert or replace into import_keys (key, income, sr_no) values (?,?,?)"), m_row);
}

} // namespace tallymere::import::importKeys
