#include "core/import/ofxreader.h"

#include <algorithm>
#include <array>
#include <optional>
#include <utility>

#include <QXmlStreamReader>

#include "core/import/foundtransaction.h"
#include "core/import/statementtext.h"

namespace tallymere::import {
namespace {

/// OFX writes its tags upper case; some writers of OFX 1.x do not.
bool isTag(QStringView name, QStringView tag)
{
    return name.compare(tag, Qt::CaseInsensitive) == 0;
}

/// Takes the leaf elements of one STMTTRN as they come, in SGML or XML alike.
class TransactionFields
{
public:
    explicit TransactionFields(int line) { m_found.transaction.line = line; }

    void set(QStringView tag, const QString &value)
    {
        BankTransaction &t = m_found.transaction;
        const std::pair<QStringView, QString *> fields[] = {
            {u"DTPOSTED", &m_found.date}, {u"DTUSER", &m_userDate}, {u"TRNAMT", &m_found.amount},
            {u"FITID", &t.bankId},        {u"NAME", &t.payee},      {u"MEMO", &t.memo},
            {u"CHECKNUM", &t.checkNumber}, {u"TRNTYPE", &t.kind},
        };
        for (const auto &[name, field] : fields) {
            if (isTag(tag, name)) {
                *field = value;
                return;
            }
        }
    }

    FoundTransaction finish(const QString &fileName)
    {
        if (m_found.date.isEmpty())
            m_found.date = m_userDate;
        if (m_found.date.isEmpty())
            throw ReadError(fileName, m_found.transaction.line, QStringLiteral("the transaction has no date (DTPOSTED)"));
        if (m_found.amount.isEmpty())
            throw ReadError(fileName, m_found.transaction.line, QStringLiteral("the transaction has no amount (TRNAMT)"));
        return std::move(m_found);
    }

private:
    FoundTransaction m_found;
    QString m_userDate;
};

/// A tag or a text of OFX 1.x SGML.
struct SgmlToken {
    enum Kind { Open, Close, Text, End } kind = End;
    QStringView name; ///< a tag's name, upper case as OFX writes it
    QString text;
    int line = 1;
};

/// Splits OFX 1.x SGML into tags and texts; comments and processing instructions are passed
/// over, CDATA is text.
class SgmlTokens
{
public:
    explicit SgmlTokens(QStringView text) : m_text(text) {}

    SgmlToken next()
    {
        SgmlToken token;
        while (m_at < m_text.size()) {
            token.line = m_line;
            if (m_text[m_at] != u'<') {
                const qsizetype end = indexOf(u"<", m_at);
                token.kind = SgmlToken::Text;
                token.text = resolveEntities(advanceTo(end));
                return token;
            }
            if (startsWith(u"<![CDATA[")) {
                const qsizetype end = indexOf(u"]]>", m_at);
                advance(9);
                token.kind = SgmlToken::Text;
                token.text = advanceTo(end).toString();
                advance(3);
                return token;
            }
            if (startsWith(u"<!--")) {
                advanceTo(indexOf(u"-->", m_at));
                advance(3);
                continue;
            }
            if (startsWith(u"<!") || startsWith(u"<?")) {
                advanceTo(indexOf(u">", m_at));
                advance(1);
                continue;
            }
            const qsizetype end = indexOf(u">", m_at);
            const QStringView tag = advanceTo(end).mid(1).trimmed();
            advance(1);
            const bool closing = tag.startsWith(u'/');
            token.kind = closing ? SgmlToken::Close : SgmlToken::Open;
            token.name = closing ? tag.mid(1).trimmed() : tag;
            // An XML-style empty element <TAG/> opens and closes nothing that matters here.
            return token;
        }
        token.kind = SgmlToken::End;
        return token;
    }

private:
    bool startsWith(QStringView prefix) const { return m_text.mid(m_at).startsWith(prefix); }

    qsizetype indexOf(QStringView what, qsizetype from) const
    {
        const qsizetype at = m_text.indexOf(what, from);
        return at < 0 ? m_text.size() : at;
    }

    /// The text up to `end` (exclusive), moving past it and counting its lines.
    QStringView advanceTo(qsizetype end)
    {
        const QStringView passed = m_text.mid(m_at, end - m_at);
        m_line += int(passed.count(u'\n'));
        m_at = end;
        return passed;
    }

    void advance(qsizetype count) { advanceTo(std::min(m_text.size(), m_at + count)); }

    QStringView m_text;
    qsizetype m_at = 0;
    int m_line = 1;
};

std::vector<FoundTransaction> readSgml(QStringView text, const QString &fileName)
{
    std::vector<FoundTransaction> found;
    SgmlTokens tokens(text);
    std::optional<TransactionFields> open;
    QStringView leaf; // the tag whose value the next text is
    bool ofxClosed = false;
    for (SgmlToken token = tokens.next(); token.kind != SgmlToken::End; token = tokens.next()) {
        switch (token.kind) {
        case SgmlToken::Open:
            leaf = token.name;
            if (isTag(token.name, u"STMTTRN")) {
                if (open)
                    found.push_back(open->finish(fileName));
                open.emplace(token.line);
            }
            break;
        case SgmlToken::Close:
            leaf = {};
            if (open && (isTag(token.name, u"STMTTRN") || isTag(token.name, u"BANKTRANLIST"))) {
                found.push_back(open->finish(fileName));
                open.reset();
            }
            ofxClosed = ofxClosed || isTag(token.name, u"OFX");
            break;
        case SgmlToken::Text:
            if (open && !leaf.isEmpty())
                open->set(leaf, cleanText(token.text));
            leaf = {};
            break;
        case SgmlToken::End:
            break;
        }
    }
    if (open)
        throw ReadError(fileName, 0, QStringLiteral("the file breaks off inside a transaction"));
    if (!ofxClosed)
        throw ReadError(fileName, 0, QStringLiteral("the file breaks off before its end (</OFX>)"));
    return found;
}

std::vector<FoundTransaction> readXml(QStringView text, const QString &fileName)
{
    std::vector<FoundTransaction> found;
    QXmlStreamReader xml(text.toString());
    std::optional<TransactionFields> open;
    while (!xml.atEnd()) {
        switch (xml.readNext()) {
        case QXmlStreamReader::StartElement:
            if (xml.name() == u"STMTTRN") {
                open.emplace(int(xml.lineNumber()));
            } else if (open) {
                static constexpr std::array<const char16_t *, 8> leaves{
                    u"DTPOSTED", u"DTUSER", u"TRNAMT", u"FITID", u"NAME", u"MEMO", u"CHECKNUM", u"TRNTYPE"};
                const QString name = xml.name().toString();
                if (std::find(leaves.begin(), leaves.end(), QStringView(name)) != leaves.end())
                    open->set(name, cleanText(xml.readElementText(QXmlStreamReader::IncludeChildElements)));
            }
            break;
        case QXmlStreamReader::EndElement:
            if (open && xml.name() == u"STMTTRN") {
                found.push_back(open->finish(fileName));
                open.reset();
            }
            break;
        default:
            break;
        }
    }
    if (xml.hasError())
        throw ReadError::notWellFormed(fileName, u"OFX", xml);
    return found;
}

} // namespace

bool isOfx(QStringView text)
{
    const QStringView head = text.left(4096).trimmed();
    return head.startsWith(u"OFXHEADER", Qt::CaseInsensitive) || head.contains(u"<?OFX", Qt::CaseInsensitive)
        || head.contains(u"<OFX>", Qt::CaseInsensitive);
}

BankStatement readOfx(QStringView text, const QString &fileName, const ReadOptions &options)
{
    BankStatement statement;
    statement.choices.format = Format::Ofx;
    const bool xml = text.trimmed().startsWith(u"<?xml", Qt::CaseInsensitive);
    std::vector<FoundTransaction> found = xml ? readXml(text, fileName) : readSgml(text, fileName);
    // OFX writes no digit groups; a bank that writes decimal commas writes no points.
    settle(std::move(found), options, AmountStyle{u'.', Grouping::None}, fileName, statement);
    return statement;
}

} // namespace tallymere::import
