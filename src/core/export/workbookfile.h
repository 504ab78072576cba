#pragma once

#include <memory>

#include <QString>

namespace tallymere {

class SpreadsheetApplication;
class SpreadsheetWorkbook;

/// For a computer without a spreadsheet program, after the messages that say so: asks "Save the
/// workbook as a file instead?" and, on Yes, where, suggesting `name` ("Income.xlsx") in the
/// user's documents folder. Returns the path chosen, or an empty text (No, or the dialog
/// cancelled). Throws only what the message box throws.
QString askWorkbookFile(const QString &name);

/// A workbook to be saved as `path`: the application object (see
/// SpreadsheetApplication::createSaving) with its workbook added. When the file cannot be made
/// there, says so in a message that names it and returns null. Never throws.
std::unique_ptr<SpreadsheetApplication> startWorkbookFile(const QString &path, SpreadsheetWorkbook *&workbook) noexcept;

/// Saves the workbook of `application` as its file (Visible = true); when that fails, says so in
/// a message that names the file. Never throws.
void finishWorkbookFile(SpreadsheetApplication &application) noexcept;

} // namespace tallymere
