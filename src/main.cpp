#include <QApplication>

#include "ui/app/start.h"
#include "config.h"
#include "core/platform/program.h"

int main(int, char *argv[])
{
    // The program takes no arguments: Qt's own (-style, -platform, ...) are not passed on.
    int argc = 1;
    char *arguments[] = {argv[0], nullptr};
    QApplication app(argc, arguments);
    QGuiApplication::setDesktopFileName(QStringLiteral(TALLYMERE_APP_ID));
    tallymere::platform::setProgramFolder(QCoreApplication::applicationDirPath());
    return tallymere::Main::start();
}
