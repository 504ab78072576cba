#pragma once

#include <span>

#include <QString>

namespace tallymere {

class ListRows;
class MainWindow;

/// The export command of both export buttons and of the Find window: copies the column headers
/// (all but the first) and the items of `list` into a new workbook of the spreadsheet program and shows it there.
/// The items go in the order `shownRows` gives (their 0-based rows in the list, as the list view
/// shows them), in the list's own order when it is empty.
/// A failing step is reported with `errorLocation` and its line, and the export goes on.
/// Pending window events run now and then while it works; a second export started meanwhile
/// from the same window does nothing. The window shows the hourglass while it runs. When no
/// spreadsheet program can be found, the user may save the same workbook as a file instead,
/// suggested as `workbookName` in the documents folder.
void exportList(const ListRows &list, const QString &errorLocation, MainWindow &window,
                std::span<const int> shownRows = {}, const QString &workbookName = QStringLiteral("Book1.xlsx")) noexcept;

/// True when the spreadsheet application can be started; when it cannot, says so in a message
/// box and returns false. Reports no failure and never throws.
bool SaveResultsAsExcelFileIsExcelInstalled() noexcept;

} // namespace tallymere
