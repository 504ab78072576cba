#include "ui/import/statementfile.h"

#include <QDir>
#include <QFileDialog>

namespace tallymere {
namespace {

StatementFileChooser &chooser()
{
    static StatementFileChooser replaced;
    return replaced;
}

} // namespace

QString chooseStatementFile(QWidget *parent)
{
    if (chooser())
        return chooser()(parent);
    return QFileDialog::getOpenFileName(
        parent, QStringLiteral("Import Statement"), QDir::homePath(),
        QStringLiteral("Bank statements (*.csv *.txt *.ofx *.qfx *.qif *.xml *.053);;"
                       "CSV files (*.csv *.txt);;OFX and QFX files (*.ofx *.qfx);;QIF files (*.qif);;"
                       "CAMT.053 files (*.xml *.053);;All files (*)"));
}

void setStatementFileChooser(StatementFileChooser replacement)
{
    chooser() = std::move(replacement);
}

} // namespace tallymere
