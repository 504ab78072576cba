// Peak memory of the two fills at start-up, per row: the growth of the process's peak resident
// size over Form_Load on a ledger with the given number of entries in each table.
//   tallymere_fill_memory [rows]

#include <cstdio>
#include <string>

#include <QApplication>

#include "ui/app/form1.h"
#include "benchledger.h"
#include "core/ledger/ledger.h"
#include "core/platform/program.h"
#include "support/memoryprobe.h"

int main(int argc, char **argv)
{
    using namespace tallymere;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int rows = argc > 1 ? std::stoi(argv[1]) : 1'000'000;
    platform::setProgramFolder(bench::ledgerFolder(rows));
    const test::QuietProgram &quiet = bench::quietProgram();

    Form1 form;
    form.show();
    QApplication::processEvents();
    test::resetPeak(); // the peak starts again from here
    const long before = test::statusKiB("VmHWM");
    form.Form_Load();
    QApplication::processEvents();
    const long after = test::statusKiB("VmHWM");
    const double perRow = double(after - before) * 1024.0 / (2.0 * rows);
    Ledger &ledger = form.ledger();
    const std::size_t held = ledger.incomeList().itemMemory() + ledger.expenseList().itemMemory();
    std::printf("rows per table %d, peak growth %ld KiB, %.1f bytes per row (list stores: %zu bytes, %.1f per row)\n",
                rows, after - before, perRow, held, double(held) / (2.0 * rows));
    for (const test::ShownBox &box : quiet.boxes())
        std::printf("box: %s\n", qPrintable(box.text));
    form.Form_QueryUnload();
    return quiet.boxes().empty() ? 0 : 1;
}
