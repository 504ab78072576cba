// Memory of the import window per row of a statement: the growth of the heap in use while the
// window shows a generated CSV file of N rows (what the window holds), of the process's
// resident size then (which keeps what the reading freed), and of its peak over reading and
// showing it.
//   tallymere_import_memory [rows]

#include <malloc.h>

#include <cstdio>
#include <string>

#include <QApplication>
#include <QFileInfo>

#include "benchledger.h"
#include "benchstatement.h"
#include "core/ledger/ledger.h"
#include "support/memoryprobe.h"
#include "ui/import/importtable.h"
#include "ui/import/importwindow.h"

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int rows = argc > 1 ? std::stoi(argv[1]) : 100'000;
    tallymere::bench::quietProgram();
    const QString file = tallymere::bench::statementFile(rows);
    tallymere::bench::LedgerCopy copy(1000);
    tallymere::Ledger ledger;
    ledger.openFile(copy.path());
    QApplication::processEvents();

    tallymere::test::resetPeak(); // the peak starts again from here
    const long before = tallymere::test::statusKiB("VmRSS");
    const std::size_t heapBefore = mallinfo2().uordblks;
    const long peakBefore = tallymere::test::statusKiB("VmHWM");
    QByteArray bytes = tallymere::bench::contentOf(file);
    const qsizetype fileBytes = bytes.size();
    tallymere::ImportWindow::Reading reading = tallymere::ImportWindow::firstReading(bytes, file);
    auto *window = new tallymere::ImportWindow(ledger, file, std::move(bytes), std::move(reading), nullptr);
    window->Form_Load();
    window->show();
    QApplication::processEvents();
    const long open = tallymere::test::statusKiB("VmRSS");
    const long peak = tallymere::test::statusKiB("VmHWM");
    const double held = double(mallinfo2().uordblks) - double(heapBefore);
    std::printf("rows %d (file %.1f MiB, %d shown), per row: heap held while the window is open %.0f bytes (of "
                "them the file's own bytes %.0f); resident size %+.0f bytes; peak while reading %+.0f bytes\n",
                rows, double(fileBytes) / 1048576.0, window->table().rowCount(), held / rows,
                double(fileBytes) / rows, double(open - before) * 1024.0 / rows,
                double(peak - peakBefore) * 1024.0 / rows);
    delete window;
    return 0;
}
