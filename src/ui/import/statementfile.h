#pragma once

#include <functional>

#include <QString>

class QWidget;

namespace tallymere {

/// Asks the user for a statement file with the file dialog "Import Statement" (filters for CSV,
/// OFX and QFX, QIF and CAMT.053 files); empty when the user cancels.
QString chooseStatementFile(QWidget *parent);

/// What stands in for the file dialog; tests give the file they want chosen.
using StatementFileChooser = std::function<QString(QWidget *parent)>;
/// Replaces the file dialog; an empty chooser restores it.
void setStatementFileChooser(StatementFileChooser chooser);

} // namespace tallymere
