// tallymere-newledger PATH: creates an empty ledger file with the tables income and expenses.
// Something that already lies at PATH is left as it is, and that is no failure (exit 0), so the
// command can run on every installation; any other failure exits with 1.

#include <cstdio>

#include <QFile>
#include <QString>

#include "core/db/ledgerschema.h"

namespace {

void say(const QString &line)
{
    std::fputs(qPrintable(line + u'\n'), stderr);
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc != 2) {
        say(QStringLiteral("usage: tallymere-newledger PATH"));
        return 1;
    }
    const QString path = QFile::decodeName(argv[1]);
    try {
        tallymere::createLedger(path);
    } catch (const tallymere::LedgerExists &) {
        say(QStringLiteral("%1 exists, left as it is.").arg(path));
    } catch (const tallymere::Error &error) {
        say(error.description());
        return 1;
    }
    return 0;
}
