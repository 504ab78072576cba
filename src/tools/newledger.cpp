// tallymere-newledger PATH: creates an empty ledger file with the tables income and expenses.
// Something that already lies at PATH is left as it is, and that is no failure (exit 0), so the
// command can run on every installation; any other failure exits with 1.

#include <QString>

#include "core/db/ledgerschema.h"
#include "tools/commandline.h"

int main(int argc, char *argv[])
{
    using namespace tallymere;
    const auto arguments = tools::commandArguments(argc, argv, 1, QStringLiteral("tallymere-newledger PATH"));
    if (!arguments)
        return 1;
    const QString &path = arguments->at(0);
    try {
        createLedger(path);
    } catch (const LedgerExists &) {
        tools::say(QStringLiteral("%1 exists, left as it is.").arg(path));
    } catch (const Error &error) {
        tools::say(error.description());
        return 1;
    }
    return 0;
}
