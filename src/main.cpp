#include <QApplication>

#include "app/main.h"
#include "platform/program.h"

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    tallymere::platform::setProgramFolder(QCoreApplication::applicationDirPath());
    return tallymere::Main::start();
}
