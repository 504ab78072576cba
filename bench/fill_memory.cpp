// Peak memory of the two fills at start-up, per row: the growth of the process's peak resident
// size over Form_Load on a ledger with the given number of entries in each table.
//   tallymere_fill_memory [rows]

#include <cstdio>
#include <fstream>
#include <string>

#include <QApplication>

#include "ui/app/form1.h"
#include "benchledger.h"
#include "core/ledger/ledger.h"
#include "core/platform/program.h"

namespace {

long statusKiB(const char *field)
{
    std::ifstream status("/proc/self/status");
    std::string line;
    const std::string key = std::string(field) + ":";
    while (std::getline(status, line)) {
        if (line.rfind(key, 0) == 0)
            return std::stol(line.substr(key.size()));
    }
    return -1;
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int rows = argc > 1 ? std::stoi(argv[1]) : 1'000'000;
    tallymere::platform::setProgramFolder(tallymere::bench::ledgerFolder(rows));
    tallymere::bench::quietProgram();

    tallymere::Form1 form;
    form.show();
    QApplication::processEvents();
    std::ofstream("/proc/self/clear_refs") << "5"; // the peak starts again from here
    const long before = statusKiB("VmHWM");
    form.Form_Load();
    QApplication::processEvents();
    const long after = statusKiB("VmHWM");
    const double perRow = double(after - before) * 1024.0 / (2.0 * rows);
    tallymere::Ledger &ledger = form.ledger();
    const std::size_t held = ledger.incomeList().itemMemory() + ledger.expenseList().itemMemory();
    std::printf("rows per table %d, peak growth %ld KiB, %.1f bytes per row (list stores: %zu bytes, %.1f per row)\n",
                rows, after - before, perRow, held, double(held) / (2.0 * rows));
    for (const QString &box : tallymere::bench::boxTexts())
        std::printf("box: %s\n", qPrintable(box));
    form.Form_QueryUnload();
    return tallymere::bench::boxTexts().isEmpty() ? 0 : 1;
}
