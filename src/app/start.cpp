#include "app/start.h"

#include <QApplication>

#include "app/form1.h"
#include "desktop/messageboxes.h"
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
    return QApplication::exec();
}

} // namespace tallymere::Main
