#include "core/import/qifreader.h"

#include <optional>

#include "core/import/foundtransaction.h"
#include "core/import/statementtext.h"

namespace tallymere::import {
namespace {

/// What the lines of a QIF section are.
enum class Section { None, Transactions, AccountBlock, OtherList };

Section sectionOf(QStringView header)
{
    if (header.startsWith(u"!Account", Qt::CaseInsensitive))
        return Section::AccountBlock;
    if (!header.startsWith(u"!Type:", Qt::CaseInsensitive))
        return Section::None; // !Option and !Clear lines change nothing here
    QString type = header.mid(6).toString().toLower();
    type.remove(u' ');
    if (type == u"bank" || type == u"ccard" || type == u"cash" || type == u"otha" || type == u"othl")
        return Section::Transactions;
    return Section::OtherList;
}

/// One record of a transaction section, field by field.
class QifRecord
{
public:
    bool empty() const { return m_firstLine == 0; }
    int firstLine() const { return m_firstLine; }

    void add(QChar code, const QString &value, int line)
    {
        if (m_firstLine == 0)
            m_firstLine = line;
        switch (code.unicode()) {
        case u'D':
            m_date = value;
            break;
        case u'T':
            m_total = value;
            break;
        case u'U':
            m_otherTotal = value;
            break;
        case u'P':
            m_payee = value;
            break;
        case u'M':
            m_memo = value;
            break;
        case u'L':
            m_category = value;
            break;
        case u'N':
            m_number = value;
            break;
        case u'S':
            m_splitCategories += value;
            break;
        case u'$':
            m_splitAmounts += value;
            break;
        default:
            break; // C (cleared), A (address), E (a split's memo), % and the rest
        }
    }

    /// The transaction, or nothing when the record states no amount.
    std::optional<FoundTransaction> take(const QString &fileName)
    {
        FoundTransaction found;
        BankTransaction &t = found.transaction;
        t.line = m_firstLine;
        if (m_date.trimmed().isEmpty())
            throw ReadError(fileName, m_firstLine, QStringLiteral("the transaction has no date (D)"));
        found.date = m_date.replace(u'\'', u'/');
        found.amount = !m_total.trimmed().isEmpty() ? m_total : m_otherTotal;
        if (found.amount.trimmed().isEmpty())
            found.parts = m_splitAmounts;
        t.payee = cleanText(m_payee);
        t.memo = cleanText(m_memo);
        t.checkNumber = cleanText(m_number);
        QString category = m_category.trimmed();
        if (category.isEmpty() || category == u"--Split--") {
            // A split whose parts share one category has that category.
            category.clear();
            for (const QString &part : std::as_const(m_splitCategories)) {
                if (part.trimmed().isEmpty() || (!category.isEmpty() && part.trimmed() != category)) {
                    category.clear();
                    break;
                }
                category = part.trimmed();
            }
        }
        t.transfer = category.startsWith(u'[');
        // "Food:Groceries/Household" is the category "Food:Groceries" of the class "Household".
        t.category = t.transfer ? QString() : cleanText(category.section(u'/', 0, 0));
        *this = QifRecord();
        if (found.amount.trimmed().isEmpty() && found.parts.isEmpty())
            return std::nullopt;
        return found;
    }

private:
    int m_firstLine = 0;
    QString m_date, m_total, m_otherTotal, m_payee, m_memo, m_category, m_number;
    QStringList m_splitCategories, m_splitAmounts;
};

} // namespace

bool isQif(QStringView text)
{
    for (QStringView line : text.left(4096).split(u'\n')) {
        line = line.trimmed();
        if (line.isEmpty())
            continue;
        if (line.startsWith(u'\xFEFF'))
            line = line.mid(1);
        return line.startsWith(u"!Type", Qt::CaseInsensitive) || line.startsWith(u"!Account", Qt::CaseInsensitive)
            || line.startsWith(u"!Option", Qt::CaseInsensitive) || line.startsWith(u"!Clear", Qt::CaseInsensitive);
    }
    return false;
}

BankStatement readQif(QStringView text, const QString &fileName, const ReadOptions &options)
{
    BankStatement statement;
    statement.choices.format = Format::Qif;
    std::vector<FoundTransaction> found;
    Section section = Section::None;
    QifRecord record;
    QString recordText;
    int lineNumber = 0;
    auto endRecord = [&] {
        if (section != Section::Transactions || record.empty())
            return;
        const int line = record.firstLine();
        if (std::optional<FoundTransaction> transaction = record.take(fileName))
            found.push_back(*std::move(transaction));
        else
            statement.leftOut.push_back(LeftOut{line, recordText.trimmed()});
        recordText.clear();
    };
    for (QStringView line : text.split(u'\n')) {
        ++lineNumber;
        line = line.trimmed();
        if (line.isEmpty())
            continue;
        if (line.startsWith(u'!')) {
            const Section next = sectionOf(line);
            if (next != Section::None || line.startsWith(u"!Account", Qt::CaseInsensitive)) {
                endRecord();
                section = next;
            }
            continue;
        }
        if (line.startsWith(u'^')) {
            endRecord();
            // An !Account block is one record; the section its !Type names follows.
            if (section == Section::AccountBlock)
                section = Section::None;
            continue;
        }
        if (section == Section::Transactions) {
            record.add(line[0], line.mid(1).toString(), lineNumber);
            recordText += line;
            recordText += u'\n';
        }
    }
    endRecord();
    settle(std::move(found), options, AmountStyle{u'.', Grouping::Allowed}, fileName, statement);
    return statement;
}

} // namespace tallymere::import
