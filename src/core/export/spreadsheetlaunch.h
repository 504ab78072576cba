#pragma once

#include <QString>
#include <QStringList>

namespace tallymere {

/// Starts `program` with `arguments` to show the workbook `workbookPath`, apart from this
/// program: it runs on when this program ends, as a spreadsheet program the user opened would.
/// For its first seconds it is watched: when it ends with an error or crashes in that time, one
/// message box says that the workbook could not be shown and names its full path, so the user
/// can open it by hand. Returns false, and starts nothing, when no program can be started.
/// The watch needs a running event loop; it never blocks.
bool startWatchedSpreadsheet(const QString &program, const QStringList &arguments, const QString &workbookPath);

/// The file beside the workbook where the started program's exit status is written (under this
/// name with ".part" added while it is written).
inline constexpr char kExitStatusFile[] = ".exit-status";

/// How many started spreadsheet programs are being watched now.
int watchedSpreadsheets() noexcept;

} // namespace tallymere
