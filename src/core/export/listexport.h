#pragma once

#include <span>

#include <QString>

namespace tallymere {

class MainWindow;
class RowStore;

/// The export command of both export buttons: copies the column headers (all but the first)
/// and the items of `list` into a new workbook of the spreadsheet program and shows it there.
/// The items go in the order `shownRows` gives (their 0-based rows in the list, as the list view
/// shows them), in the list's own order when it is empty.
/// A failing step is reported with `errorLocation` and its line, and the export goes on.
/// Pending window events run now and then while it works; a second export started meanwhile
/// from the same window does nothing. The window shows the hourglass while it runs.
void exportList(const RowStore &list, const QString &errorLocation, MainWindow &window,
                std::span<const int> shownRows = {}) noexcept;

/// True when the spreadsheet application can be started; when it cannot, says so in a message
/// box and returns false. Reports no failure and never throws.
bool SaveResultsAsExcelFileIsExcelInstalled() noexcept;

} // namespace tallymere
