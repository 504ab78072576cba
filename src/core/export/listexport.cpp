#include "core/export/listexport.h"

#include <memory>

#include <QElapsedTimer>

#include "core/lists/listrows.h"
#include "core/errors/error.h"
#include "core/errors/errorreport.h"
#include "core/export/spreadsheetapplication.h"
#include "core/export/workbookfile.h"
#include "core/platform/mainwindow.h"
#include "core/platform/messagebox.h"
#include "core/platform/pointershape.h"
#include "core/platform/program.h"

namespace tallymere {
namespace {

// Letting pending events run costs far more than writing a cell, so the export lets them run
// at most once in this time: often enough for a responsive window, rarely enough that half a
// million cells cost no more than writing the workbook.
constexpr qint64 kPendingEventsIntervalNs = 5'000'000;

class PendingEvents
{
public:
    /// Lets pending events run, unless they ran less than the interval ago. The first call
    /// always lets them run. Even the clock costs something per cell, so it is read only on
    /// every few calls.
    void process()
    {
        if (m_sinceLast.isValid() && (++m_calls % kCallsPerClockReading != 0
                                      || m_sinceLast.nsecsElapsed() < kPendingEventsIntervalNs))
            return;
        platform::doEvents();
        m_sinceLast.start();
    }

private:
    static constexpr unsigned kCallsPerClockReading = 16;

    QElapsedTimer m_sinceLast;
    unsigned m_calls = 0;
};

SpreadsheetApplication &objectOf(const std::unique_ptr<SpreadsheetApplication> &application)
{
    if (!application)
        throw Error(QStringLiteral("There is no spreadsheet application to use."));
    return *application;
}

SpreadsheetWorksheet &activeSheetOf(SpreadsheetWorkbook *workbook)
{
    if (!workbook)
        throw Error(QStringLiteral("There is no workbook to write to."));
    return workbook->ActiveSheet();
}

/// What the user is told when texts were too long for their cells.
QString cutCellsText(int cut)
{
    return (cut == 1 ? QStringLiteral("1 cell held more than 32,767 characters; it was cut to its first 32,767 "
                                      "characters in the workbook.")
                     : QStringLiteral("%1 cells held more than 32,767 characters; each was cut to its first 32,767 "
                                      "characters in the workbook.")
                           .arg(cut))
        + QStringLiteral(" The ledger keeps the whole text.");
}

} // namespace

void exportList(const ListRows &list, const QString &errorLocation, MainWindow &window,
                std::span<const int> shownRows, const QString &workbookName) noexcept
{
    ErrorHandler handler(errorLocation);
    if (handler.test(100, [&] { return window.exportRunning(); }))
        return;
    window.setExportRunning(true); // 102

    std::unique_ptr<SpreadsheetApplication> application;
    SpreadsheetWorkbook *workbook = nullptr;
    PendingEvents pendingEvents;
    const auto processPendingEvents = [&] { pendingEvents.process(); };

    // The sheet, from the header row to the fitted columns: the same for a workbook shown in the
    // spreadsheet program and one saved as a file.
    const auto writeSheet = [&] {
        // Loop bounds are read once, when their loop starts; one that cannot be read counts as 0
        // and its loop is skipped.
        int sheetColumn = 1; // 120
        const int headerCount = handler.value(122, [&] { return list.columnHeaderCount(); }, 0);
        for (int k = 2; k <= headerCount; ++k) {
            handler.step(124, processPendingEvents);
            handler.step(126, [&] { activeSheetOf(workbook).setCells(1, sheetColumn, list.columnHeaderText(k)); });
            ++sheetColumn; // 128
        }

        int sheetRow = 2; // 132
        const int itemCount = handler.value(134, [&] { return list.itemCount(); }, 0);
        for (int m = 1; m <= itemCount; ++m) {
            const int item = std::size_t(m) <= shownRows.size() ? shownRows[std::size_t(m - 1)] + 1 : m;
            handler.step(136, processPendingEvents);
            sheetColumn = 1; // 138
            const int columnCount = handler.value(140, [&] { return list.columnHeaderCount(); }, 0);
            for (int n = 2; n <= columnCount; ++n) {
                handler.step(142, processPendingEvents);
                handler.step(150, [&] {
                    QString text = list.subItem(item, n - 1);
                    text.remove(QLatin1Char('='));
                    activeSheetOf(workbook).Cells(sheetRow, sheetColumn).setValue(text);
                });
                ++sheetColumn; // 152
            }
            ++sheetRow; // 156
        }

        handler.step(160, [&] { activeSheetOf(workbook).Columns().AutoFit(); });
    };

    if (handler.test(110, [&] { return list.itemCount() > 0; })) {
        if (handler.test(112, [] { return SaveResultsAsExcelFileIsExcelInstalled(); })) {
            handler.step(114, [&] { window.setMousePointer(PointerShape::Hourglass); });
            handler.step(116, [&] { application = SpreadsheetApplication::create(); });
            handler.step(118, [&] { workbook = &objectOf(application).Workbooks().Add(); });
            writeSheet();
            handler.step(162, [&] { objectOf(application).setVisible(true); });
            handler.step(164, [&] { window.setMousePointer(PointerShape::Default); });
            // A spreadsheet cell holds 32,767 characters: a longer text went in cut, and the
            // user hears of it once, not once per cell.
            handler.step(164, [&] {
                if (const int cut = workbook ? workbook->ActiveSheet().cutCells() : 0; cut > 0)
                    platform::msgBox(cutCellsText(cut));
            });
        } else {
            handler.step(166, [] {
                platform::msgBox(QStringLiteral("Excel is not installed on this computer. You need to have it "
                                                "installed to use this feature."));
            });
            // The same workbook can still be had, as a file the user names.
            QString path;
            handler.step(170, [&] { path = askWorkbookFile(workbookName); });
            if (!path.isEmpty()) {
                handler.step(114, [&] { window.setMousePointer(PointerShape::Hourglass); });
                application = startWorkbookFile(path, workbook);
                if (application) {
                    writeSheet();
                    finishWorkbookFile(*application);
                }
                handler.step(164, [&] { window.setMousePointer(PointerShape::Default); });
                handler.step(164, [&] {
                    if (const int cut = workbook ? workbook->ActiveSheet().cutCells() : 0; cut > 0)
                        platform::msgBox(cutCellsText(cut));
                });
            }
        }
    }
    window.setExportRunning(false); // 168
}

bool SaveResultsAsExcelFileIsExcelInstalled() noexcept
{
    // Any failure in here is passed over; it only makes the answer false.
    bool result = true;
    bool failed = false;
    std::unique_ptr<SpreadsheetApplication> application;
    try {
        application = SpreadsheetApplication::create();
    } catch (...) {
        failed = true;
    }
    if (!application) {
        try {
            platform::msgBox(QStringLiteral("Excel is not installed on this computer. You need to have it "
                                            "installed to use this software without error."));
        } catch (...) {
            failed = true;
        }
    }
    application.reset();
    if (failed)
        result = false;
    return result;
}

} // namespace tallymere
