#include "app/start.h"

#include <QApplication>

#include "app/form1.h"
#include "desktop/messageboxes.h"
#include "ledger/backup.h"
#include "ledger/ledgerschema.h"
#include "export/spreadsheetapplication.h"
#include "platform/program.h"

namespace tallymere::Main {

int start()
{
    installMessageBoxes();
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
