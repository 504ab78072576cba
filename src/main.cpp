#include <QApplication>

#include "app/main.h"
#include "config.h"
#include "platform/program.h"

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QGuiApplication::setDesktopFileName(QStringLiteral(TALLYMERE_APP_ID));
    tallymere::platform::setProgramFolder(QCoreApplication::applicationDirPath());
    return tallymere::Main::start();
}
