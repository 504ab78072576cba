// tallymere-import [options] FILE...: brings bank statement files into the ledger from a script,
// on the same readers and the same import as the window. It writes the transactions that are
// new, skips those already in the ledger (and, unless --include-possible, those an entry typed
// by hand may be), and prints one line per file. --dry-run writes nothing and prints every
// transaction instead. Exit codes: 0 done, 1 a file cannot be read, 2 bad options, 3 the ledger
// cannot be written; with several files the gravest.

#include <algorithm>
#include <cstdio>
#include <memory>
#include <optional>

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QStringDecoder>
#include <QTextStream>

#include "core/db/connection.h"
#include "core/db/ledgerschema.h"
#include "core/import/bankstatement.h"
#include "core/import/importplan.h"
#include "core/ledger/ledger.h"
#include "core/text/datetext.h"

namespace {

using namespace tallymere;
using namespace tallymere::import;

enum Exit { kDone = 0, kUnreadable = 1, kBadOptions = 2, kLedgerUnwritable = 3 };

QTextStream &out()
{
    static QTextStream stream(stdout);
    return stream;
}

QTextStream &err()
{
    static QTextStream stream(stderr);
    return stream;
}

/// A value of a closed set of option values, or nothing.
template<class T>
std::optional<T> oneOf(const QString &value, std::initializer_list<std::pair<const char *, T>> choices)
{
    for (const auto &[name, choice] : choices) {
        if (value == QLatin1String(name))
            return choice;
    }
    return std::nullopt;
}

struct Options {
    ReadOptions read;
    QString ledger;
    bool dryRun = false;
    bool includePossible = false;
    QStringList files;
};

/// The options as given, or the message that says which is wrong.
std::optional<Options> parseOptions(QCommandLineParser &parser, const QStringList &arguments, QString &wrong)
{
    const QCommandLineOption ledger(QStringLiteral("ledger"), QStringLiteral("The ledger to import into (default: dbExpense.mdb beside this command)."), QStringLiteral("FILE"));
    const QCommandLineOption dryRun(QStringLiteral("dry-run"), QStringLiteral("Write nothing; print each transaction."));
    const QCommandLineOption includePossible(QStringLiteral("include-possible"), QStringLiteral("Also import the transactions an entry typed by hand may be."));
    const QCommandLineOption format(QStringLiteral("format"), QStringLiteral("The files' format: csv, ofx, qif or camt."), QStringLiteral("csv|ofx|qif|camt"));
    const QCommandLineOption encoding(QStringLiteral("encoding"), QStringLiteral("The files' character set."), QStringLiteral("NAME"));
    const QCommandLineOption dateOrder(QStringLiteral("date-order"), QStringLiteral("How the files write their dates."), QStringLiteral("ymd|dmy|mdy"));
    const QCommandLineOption decimalMark(QStringLiteral("decimal-mark"), QStringLiteral("The amounts' decimal mark."), QStringLiteral(".|,"));
    const QCommandLineOption delimiter(QStringLiteral("delimiter"), QStringLiteral("CSV: the delimiter (one character, or tab)."), QStringLiteral("C"));
    const QCommandLineOption skip(QStringLiteral("skip"), QStringLiteral("CSV: lines to skip before the header, blank ones included."), QStringLiteral("N"));
    const QCommandLineOption noHeader(QStringLiteral("no-header"), QStringLiteral("CSV: the file has no header row."));
    const QCommandLineOption columns(QStringLiteral("columns"), QStringLiteral("CSV: the role of each column in order: date, payee, memo, category, amount, debit, credit, ignore."), QStringLiteral("ROLE,..."));
    parser.setApplicationDescription(QStringLiteral("Imports bank statements (CSV, OFX, QFX, QIF, CAMT.053) into a Tallymere ledger."));
    parser.addHelpOption();
    parser.addOptions({ledger, dryRun, includePossible, format, encoding, dateOrder, decimalMark, delimiter, skip,
                       noHeader, columns});
    parser.addPositionalArgument(QStringLiteral("FILE"), QStringLiteral("The statement files."), QStringLiteral("FILE..."));
    if (!parser.parse(arguments)) {
        wrong = parser.errorText();
        return std::nullopt;
    }
    if (parser.isSet(QStringLiteral("help")))
        return Options{};

    Options o;
    o.ledger = parser.isSet(ledger) ? parser.value(ledger)
                                    : ledgerPath(QCoreApplication::applicationDirPath());
    o.dryRun = parser.isSet(dryRun);
    o.includePossible = parser.isSet(includePossible);
    o.files = parser.positionalArguments();
    if (o.files.isEmpty()) {
        wrong = QStringLiteral("No statement file given.");
        return std::nullopt;
    }
    ReadOptions &r = o.read;
    if (parser.isSet(format)) {
        r.format = oneOf<Format>(parser.value(format),
                                 {{"csv", Format::Csv}, {"ofx", Format::Ofx}, {"qif", Format::Qif}, {"camt", Format::Camt}});
        if (!r.format) {
            wrong = QStringLiteral("--format must be csv, ofx, qif or camt, not \"%1\".").arg(parser.value(format));
            return std::nullopt;
        }
    }
    if (parser.isSet(encoding)) {
        r.encoding = parser.value(encoding);
        if (!QStringDecoder(r.encoding.toLatin1().constData()).isValid()) {
            wrong = QStringLiteral("--encoding: \"%1\" is no character set known here.").arg(r.encoding);
            return std::nullopt;
        }
    }
    if (parser.isSet(dateOrder)) {
        r.dateOrder = oneOf<DateOrder>(parser.value(dateOrder), {{"ymd", DateOrder::YearMonthDay},
                                                                 {"dmy", DateOrder::DayMonthYear},
                                                                 {"mdy", DateOrder::MonthDayYear}});
        if (!r.dateOrder) {
            wrong = QStringLiteral("--date-order must be ymd, dmy or mdy, not \"%1\".").arg(parser.value(dateOrder));
            return std::nullopt;
        }
    }
    if (parser.isSet(decimalMark)) {
        const QString mark = parser.value(decimalMark);
        if (mark != QLatin1String(".") && mark != QLatin1String(",")) {
            wrong = QStringLiteral("--decimal-mark must be . or , not \"%1\".").arg(mark);
            return std::nullopt;
        }
        r.decimalMark = mark[0];
    }
    if (parser.isSet(delimiter)) {
        const QString c = parser.value(delimiter);
        if (c == QLatin1String("tab") || c == QLatin1String("\\t"))
            r.delimiter = u'\t';
        else if (c.size() == 1)
            r.delimiter = c[0];
        else {
            wrong = QStringLiteral("--delimiter must be one character (or tab), not \"%1\".").arg(c);
            return std::nullopt;
        }
    }
    if (parser.isSet(skip)) {
        bool ok = false;
        const int lines = parser.value(skip).toInt(&ok);
        if (!ok || lines < 0) {
            wrong = QStringLiteral("--skip must be a number of lines, not \"%1\".").arg(parser.value(skip));
            return std::nullopt;
        }
        r.skipLines = lines;
    }
    if (parser.isSet(noHeader))
        r.headerRow = false;
    if (parser.isSet(columns)) {
        std::vector<ColumnRole> roles;
        for (const QString &name : parser.value(columns).split(u',')) {
            const auto role = oneOf<ColumnRole>(name.trimmed().toLower(),
                                                {{"", ColumnRole::Ignore}, {"ignore", ColumnRole::Ignore},
                                                 {"date", ColumnRole::Date}, {"payee", ColumnRole::Payee},
                                                 {"memo", ColumnRole::Memo}, {"category", ColumnRole::Category},
                                                 {"amount", ColumnRole::Amount}, {"debit", ColumnRole::Debit},
                                                 {"credit", ColumnRole::Credit}});
            if (!role) {
                wrong = QStringLiteral("--columns: \"%1\" is no role (date, payee, memo, category, amount, debit, "
                                       "credit, ignore).")
                            .arg(name);
                return std::nullopt;
            }
            roles.push_back(*role);
        }
        r.columns = std::move(roles);
    }
    return o;
}

/// Imports (or, dry, shows) one file; returns its exit code.
int importFile(Ledger &ledger, const Options &o, const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        err() << QStringLiteral("%1: cannot be read: %2").arg(path, file.errorString()) << Qt::endl;
        return kUnreadable;
    }
    BankStatement statement;
    try {
        statement = readStatement(file.readAll(), path, o.read);
    } catch (const ReadError &error) {
        err() << error.message() << Qt::endl;
        return kUnreadable;
    }
    if (statement.dateOrderUndecided) {
        err() << QStringLiteral("%1: the dates read day-first and month-first alike; give --date-order dmy or mdy.")
                     .arg(path)
              << Qt::endl;
        return kBadOptions;
    }

    ImportPlan plan;
    try {
        plan = planImport(ledger.connection(), statement, path);
    } catch (const ReadError &error) {
        err() << error.message() << Qt::endl;
        return kUnreadable;
    } catch (const Error &error) {
        err() << QStringLiteral("%1: the ledger cannot be read: %2").arg(o.ledger, error.description()) << Qt::endl;
        return kLedgerUnwritable;
    }

    if (o.dryRun) {
        for (const PlannedEntry &e : plan.entries) {
            out() << (e.income ? "income" : "expenses") << '\t' << dateText::iso(e.date) << '\t' << e.name << '\t'
                  << e.amount << '\t' << e.particulars << '\t' << statusText(e.status) << '\n';
        }
        out().flush();
        return kDone;
    }

    std::vector<std::size_t> chosen;
    int inLedger = 0;
    int possible = 0;
    int tooLarge = 0;
    for (std::size_t i = 0; i < plan.entries.size(); ++i) {
        const EntryStatus status = plan.entries[i].status;
        inLedger += status == EntryStatus::InLedger;
        possible += status == EntryStatus::PossiblyTyped;
        tooLarge += status == EntryStatus::TooLarge;
        if (status == EntryStatus::New || (status == EntryStatus::PossiblyTyped && o.includePossible))
            chosen.push_back(i);
    }
    ImportResult result;
    try {
        result = writeImport(ledger, plan, chosen, false);
    } catch (const WriteError &error) {
        err() << error.description() << Qt::endl;
        return kLedgerUnwritable;
    }
    out() << QStringLiteral("Imported %1 entries (%2 income, %3 expenses) from %4; %5 already in the ledger")
                 .arg(result.income + result.expenses)
                 .arg(result.income)
                 .arg(result.expenses)
                 .arg(path)
                 .arg(inLedger)
          << Qt::endl;
    if (tooLarge > 0)
        err() << QStringLiteral("%1: %2 left out: the amount is too large").arg(path).arg(tooLarge) << Qt::endl;
    if (possible > 0 && !o.includePossible)
        err() << QStringLiteral("%1: %2 left out as possibly typed already (--include-possible imports them)")
                     .arg(path)
                     .arg(possible)
              << Qt::endl;
    return kDone;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("tallymere-import"));
    QCommandLineParser parser;
    QString wrong;
    const std::optional<Options> options = parseOptions(parser, QCoreApplication::arguments(), wrong);
    if (!options) {
        err() << wrong << Qt::endl << parser.helpText();
        return kBadOptions;
    }
    if (parser.isSet(QStringLiteral("help"))) {
        out() << parser.helpText();
        return kDone;
    }

    Ledger ledger;
    try {
        ledger.openFile(options->ledger);
    } catch (const Error &error) {
        err() << QStringLiteral("%1: the ledger cannot be opened: %2").arg(options->ledger, error.description())
              << Qt::endl;
        return kLedgerUnwritable;
    }
    int exit = kDone;
    for (const QString &path : options->files)
        exit = std::max(exit, importFile(ledger, *options, path));
    return exit;
}
