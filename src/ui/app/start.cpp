#include "ui/app/start.h"

#include <QApplication>

#include "ui/app/form1.h"
#include "ui/desktop/messageboxes.h"
#include "ui/desktop/savedialog.h"
#include "core/backup/backup.h"
#include "core/db/ledgerschema.h"
#include "core/export/spreadsheetapplication.h"
#include "core/platform/program.h"

namespace tallymere::Main {

int start()
{
    installMessageBoxes();
    installSaveDialog();
    Form1 mainWindow;
    mainWindow.Form_Load();
    if (platform::programEnded())
        return 0;
    // The workbooks that earlier runs handed to the spreadsheet program, once a day old.
    removeOldWorkbooks();
    mainWindow.show();
    // Queued, so the window is painted first. The copy runs on a thread of its own; the end of
    // the program (platform::endProgram) never waits for it.
    Backup backup(ledgerPath(platform::programFolder()));
    QMetaObject::invokeMethod(&backup, &Backup::start, Qt::QueuedConnection);
    return QApplication::exec();
}

} // namespace tallymere::Main
