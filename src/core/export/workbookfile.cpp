#include "core/export/workbookfile.h"

#include <QDir>
#include <QStandardPaths>

#include "core/errors/errorreport.h"
#include "core/export/spreadsheetapplication.h"
#include "core/platform/messagebox.h"
#include "core/platform/savedialog.h"

namespace tallymere {
namespace {

void showFailure(std::exception_ptr error) noexcept
{
    try {
        platform::msgBox(describeError(error), platform::MessageStyle::OkOnly | platform::MessageStyle::Exclamation);
    } catch (...) {
        // No box can be shown: there is no one to tell.
    }
}

} // namespace

QString askWorkbookFile(const QString &name)
{
    if (platform::msgBox(QStringLiteral("Save the workbook as a file instead?"), platform::MessageStyle::YesNo)
        != platform::MessageResult::Yes)
        return {};
    QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (folder.isEmpty())
        folder = QDir::homePath();
    return platform::saveFileName(QStringLiteral("Save the Workbook As"), QDir(folder).filePath(name),
                                  QStringLiteral("Excel Workbook (*.xlsx)"));
}

std::unique_ptr<SpreadsheetApplication> startWorkbookFile(const QString &path, SpreadsheetWorkbook *&workbook) noexcept
{
    try {
        std::unique_ptr<SpreadsheetApplication> application = SpreadsheetApplication::createSaving(path);
        workbook = &application->Workbooks().Add();
        return application;
    } catch (...) {
        workbook = nullptr;
        showFailure(std::current_exception());
        return nullptr;
    }
}

void finishWorkbookFile(SpreadsheetApplication &application) noexcept
{
    try {
        application.setVisible(true);
    } catch (...) {
        showFailure(std::current_exception());
    }
}

} // namespace tallymere
