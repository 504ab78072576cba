// The summary window's export: the month table into a new workbook of the spreadsheet program,
// or into a file when there is no spreadsheet program.

#include "ui/summary/monthlysummary.h"

#include <memory>

#include "core/errors/errorreport.h"
#include "core/export/listexport.h"
#include "core/export/spreadsheetapplication.h"
#include "core/export/workbookfile.h"
#include "ui/summary/monthtable.h"

namespace tallymere {

void MonthlySummary::sendSummaryToExcel()
{
    ErrorHandler on(QStringLiteral("in Coinfold2021/08/31.MonthlySummary.SendSummaryToExcel "));
    // The table as the lists stand now, even when a refresh is still waiting.
    on.step(100, [&] { refreshNow(); });
    std::unique_ptr<SpreadsheetApplication> application;
    SpreadsheetWorksheet *sheet = nullptr;
    const bool installed = on.test(102, [] { return SaveResultsAsExcelFileIsExcelInstalled(); });
    if (installed) {
        on.step(104, [&] {
            application = SpreadsheetApplication::create();
            sheet = &application->Workbooks().Add().ActiveSheet();
        });
    } else {
        // The same workbook can still be had, as a file the user names.
        QString path;
        on.step(112, [&] { path = askWorkbookFile(QStringLiteral("Summary.xlsx")); });
        SpreadsheetWorkbook *workbook = nullptr;
        if (!path.isEmpty())
            application = startWorkbookFile(path, workbook);
        if (workbook)
            sheet = &workbook->ActiveSheet();
    }
    if (!sheet)
        return;
    on.step(106, [&] {
        const QStringList headers = MonthTable::headers();
        for (int column = 1; column <= headers.size(); ++column)
            sheet->setCells(1, column, headers.at(column - 1));
        // Months (and "No date", "All") as text; amounts as numbers, read from their shown text
        // in the user's number format.
        int sheetRow = 2;
        for (const SummaryRow &row : months().rows()) {
            sheet->setCells(sheetRow, 1, row.month);
            sheet->Cells(sheetRow, 2).setValue(row.income);
            sheet->Cells(sheetRow, 3).setValue(row.expenses);
            sheet->Cells(sheetRow, 4).setValue(row.balance);
            ++sheetRow;
        }
    });
    on.step(108, [&] { sheet->Columns().AutoFit(); });
    if (installed)
        on.step(110, [&] { application->setVisible(true); });
    else
        finishWorkbookFile(*application);
}

} // namespace tallymere
