#pragma once

#include <QString>
#include <QStringView>

#include "core/import/readerror.h"
#include "core/import/statementvalues.h"

namespace tallymere::import {

/// What an XML text is to the import.
enum class XmlKind { NotXml, Camt053, OtherCamt, Ofx, Other };

/// Looks at an XML text's first element: a CAMT.053 document (camt.053.001.xx), another CAMT
/// message (camt.052, camt.054), an OFX 2.x file, other XML, or no XML at all.
XmlKind xmlKind(QStringView text);

/// Reads each Ntry of a CAMT.053 bank-to-customer statement (versions .001.02 to .001.08 and
/// those after with the same entries): its amount signed by CdtDbtInd, its booking date (else
/// value date) as the day the file states, the counterparty's name (the creditor of a debit,
/// the debtor of a credit), the remittance text (Ustrd, or Strd's reference and additional
/// text), AddtlNtryInf as the kind, and as the bank's ID the entry's AcctSvcrRef, wherever in the
/// entry it stands, else its NtryRef; never an instruction or end-to-end ID. An entry still
/// pending is left out. Throws ReadError for XML that breaks off.
BankStatement readCamt(QStringView text, const QString &fileName, const ReadOptions &options);

} // namespace tallymere::import
