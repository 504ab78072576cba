#include "core/import/camtreader.h"

#include <optional>

#include <QStringList>
#include <QXmlStreamReader>

#include "core/import/foundtransaction.h"
#include "core/import/statementtext.h"

namespace tallymere::import {
namespace {

/// One Ntry's texts as they come.
struct Entry {
    int line = 0;
    QString amount, indicator, status, bookingDate, valueDate, entryRef, entryServicerRef, detailServicerRef;
    QString debtor, creditor, ultimateDebtor, ultimateCreditor, entryInfo, detailInfo;
    QStringList remittance;
};

void keepFirst(QString &field, const QString &value)
{
    if (field.isEmpty())
        field = value;
}

/// Files a leaf of an entry, by its path below the Ntry ("NtryDtls/TxDtls/RltdPties/Cdtr/Pty/Nm").
void file(Entry &entry, const QStringList &path, const QString &value)
{
    const QString &name = path.last();
    const QString joined = path.join(u'/');
    if (path.size() == 1) {
        if (name == u"Amt")
            entry.amount = value;
        else if (name == u"CdtDbtInd")
            entry.indicator = value;
        else if (name == u"Sts")
            entry.status = value;
        else if (name == u"NtryRef")
            entry.entryRef = value;
        else if (name == u"AcctSvcrRef")
            entry.entryServicerRef = value;
        else if (name == u"AddtlNtryInf")
            entry.entryInfo = value;
        return;
    }
    if (joined == u"BookgDt/Dt" || joined == u"BookgDt/DtTm") {
        entry.bookingDate = value;
    } else if (joined == u"ValDt/Dt" || joined == u"ValDt/DtTm") {
        entry.valueDate = value;
    } else if (name == u"AcctSvcrRef" && path[path.size() - 2] == u"Refs") {
        keepFirst(entry.detailServicerRef, value);
    } else if (name == u"AddtlTxInf") {
        keepFirst(entry.detailInfo, value);
    } else if (joined.contains(u"RmtInf/Ustrd") || (joined.contains(u"RmtInf/Strd/")
                                                    && (name == u"AddtlRmtInf" || joined.endsWith(u"CdtrRefInf/Ref")))) {
        if (!value.isEmpty() && !entry.remittance.contains(value))
            entry.remittance += value;
    } else if (name == u"Nm") {
        // RltdPties/<party>/Nm up to .001.07, RltdPties/<party>/Pty/Nm from .001.08.
        const qsizetype parties = path.indexOf(QStringLiteral("RltdPties"));
        const QStringList below = parties < 0 ? QStringList() : path.mid(parties + 1);
        if (below.size() != 2 && !(below.size() == 3 && below[1] == u"Pty"))
            return;
        const QString &party = below.first();
        if (party == u"Dbtr")
            keepFirst(entry.debtor, value);
        else if (party == u"Cdtr")
            keepFirst(entry.creditor, value);
        else if (party == u"UltmtDbtr")
            keepFirst(entry.ultimateDebtor, value);
        else if (party == u"UltmtCdtr")
            keepFirst(entry.ultimateCreditor, value);
    }
}

/// The leaves read whole, child elements and all (a status is text or <Cd>text</Cd>).
bool isLeafOfInterest(const QStringList &path)
{
    static const QStringList names{
        QStringLiteral("Amt"),         QStringLiteral("CdtDbtInd"), QStringLiteral("Sts"),
        QStringLiteral("NtryRef"),     QStringLiteral("AcctSvcrRef"), QStringLiteral("AddtlNtryInf"),
        QStringLiteral("Dt"),          QStringLiteral("DtTm"),        QStringLiteral("AddtlTxInf"),
        QStringLiteral("Ustrd"),       QStringLiteral("AddtlRmtInf"), QStringLiteral("Ref"),
        QStringLiteral("Nm")};
    if (path.size() == 1)
        return names.contains(path.last());
    return path.last() != u"Amt" && path.last() != u"Sts" && names.contains(path.last());
}

} // namespace

XmlKind xmlKind(QStringView text)
{
    const QStringView trimmed = text.trimmed();
    if (!trimmed.startsWith(u'<'))
        return XmlKind::NotXml;
    QXmlStreamReader xml(trimmed.left(65536).toString());
    bool inDocument = false;
    while (!xml.atEnd()) {
        const auto token = xml.readNext();
        if (token == QXmlStreamReader::ProcessingInstruction && xml.processingInstructionTarget() == u"OFX")
            return XmlKind::Ofx;
        if (token != QXmlStreamReader::StartElement)
            continue;
        const QStringView name = xml.name();
        const QStringView space = xml.namespaceUri();
        if (!inDocument) {
            if (name == u"OFX")
                return XmlKind::Ofx;
            if (name != u"Document")
                return XmlKind::Other;
            if (space.contains(u"camt.053"))
                return XmlKind::Camt053;
            if (space.contains(u"camt."))
                return XmlKind::OtherCamt;
            inDocument = true;
            continue;
        }
        // A document without its namespace: its message tells.
        if (name == u"BkToCstmrStmt")
            return XmlKind::Camt053;
        if (name == u"BkToCstmrAcctRpt" || name == u"BkToCstmrDbtCdtNtfctn")
            return XmlKind::OtherCamt;
        return XmlKind::Other;
    }
    return trimmed.startsWith(u"<?xml") ? XmlKind::Other : XmlKind::NotXml;
}

BankStatement readCamt(QStringView text, const QString &fileName, const ReadOptions &options)
{
    BankStatement statement;
    statement.choices.format = Format::Camt;
    std::vector<FoundTransaction> found;
    QXmlStreamReader xml(text.toString());
    QStringList path;       // the elements open, from the document's root
    qsizetype entryAt = -1; // the Ntry's place in `path`, while one is open
    Entry entry;

    auto finishEntry = [&] {
        const QString status = cleanText(entry.status).toUpper();
        const bool debit = entry.indicator.trimmed() == u"DBIT";
        const QString counterparty = debit ? (entry.creditor.isEmpty() ? entry.ultimateCreditor : entry.creditor)
                                           : (entry.debtor.isEmpty() ? entry.ultimateDebtor : entry.debtor);
        if (status == u"PDNG" || status == u"INFO") {
            // Not booked yet: the next statement brings it booked.
            QStringList words{entry.bookingDate.isEmpty() ? entry.valueDate : entry.bookingDate,
                              (debit ? QStringLiteral("-") : QString()) + entry.amount.trimmed(), cleanText(counterparty),
                              status == u"PDNG" ? QStringLiteral("(pending)") : QStringLiteral("(for information)")};
            words.removeAll(QString());
            statement.leftOut.push_back(LeftOut{entry.line, words.join(u' ')});
            return;
        }
        if (entry.indicator.trimmed() != u"DBIT" && entry.indicator.trimmed() != u"CRDT") {
            throw ReadError(fileName, entry.line,
                            QStringLiteral("the entry says neither credit nor debit (CdtDbtInd \"%1\")").arg(entry.indicator.trimmed()));
        }
        FoundTransaction one;
        one.date = entry.bookingDate.isEmpty() ? entry.valueDate : entry.bookingDate;
        one.amount = entry.amount.trimmed().isEmpty() ? QString() : (debit ? QStringLiteral("-") : QString()) + entry.amount.trimmed();
        if (one.amount.isEmpty())
            throw ReadError(fileName, entry.line, QStringLiteral("the entry has no amount (Amt)"));
        BankTransaction &t = one.transaction;
        t.line = entry.line;
        t.payee = cleanText(counterparty);
        t.memo = cleanText(entry.remittance.join(u' '));
        t.kind = cleanText(entry.entryInfo.isEmpty() ? entry.detailInfo : entry.entryInfo);
        t.bankId = cleanText(!entry.entryServicerRef.isEmpty() ? entry.entryServicerRef
                             : !entry.detailServicerRef.isEmpty() ? entry.detailServicerRef
                                                                  : entry.entryRef);
        found.push_back(std::move(one));
    };

    while (!xml.atEnd()) {
        switch (xml.readNext()) {
        case QXmlStreamReader::StartElement: {
            path += xml.name().toString();
            if (entryAt < 0) {
                if (path.last() == u"Ntry" && path.size() >= 2 && path[path.size() - 2] == u"Stmt") {
                    entryAt = path.size() - 1;
                    entry = Entry();
                    entry.line = int(xml.lineNumber());
                }
                break;
            }
            const QStringList below = path.mid(entryAt + 1);
            if (isLeafOfInterest(below)) {
                file(entry, below, xml.readElementText(QXmlStreamReader::IncludeChildElements).trimmed());
                path.removeLast(); // readElementText read its end tag
            }
            break;
        }
        case QXmlStreamReader::EndElement:
            if (!path.isEmpty())
                path.removeLast();
            if (entryAt >= 0 && path.size() == entryAt) {
                finishEntry();
                entryAt = -1;
            }
            break;
        default:
            break;
        }
    }
    if (xml.hasError())
        throw ReadError::notWellFormed(fileName, u"CAMT.053", xml);
    settle(std::move(found), options, AmountStyle{u'.', Grouping::None}, fileName, statement);
    return statement;
}

} // namespace tallymere::import
