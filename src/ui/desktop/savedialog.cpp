#include "ui/desktop/savedialog.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>

#include "core/platform/savedialog.h"

namespace tallymere {
namespace {

QString showRealDialog(const QString &caption, const QString &suggestedPath, const QString &filter)
{
    QFileDialog dialog(QApplication::activeWindow(), caption, suggestedPath, filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    // A name typed without its ending gets the suggested one, so the file opens as a workbook.
    dialog.setDefaultSuffix(QFileInfo(suggestedPath).suffix());
    dialog.selectFile(suggestedPath);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

} // namespace

void installSaveDialog()
{
    platform::setSaveFilePresenter(showRealDialog);
}

} // namespace tallymere
