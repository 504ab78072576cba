#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QProcess>

#include "ui/app/form1.h"
#include "ui/windows/mainmodule.h"
#include "core/platform/messagebox.h"
#include "support/ledgerfile.h"
#include "support/testenvironment.h"

namespace tallymere {
namespace {

TEST(Program, takesNoArgumentsFromTheCommandLine)
{
    // Were Qt's own options honoured, an unknown platform would end the program at once; as it
    // is, the program runs (here up to its message that the ledger is missing) until it is ended.
    QProcess program;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    program.setProcessEnvironment(environment);
    program.start(QStringLiteral(TALLYMERE_PROGRAM), {QStringLiteral("-platform"), QStringLiteral("no-such-platform")});
    ASSERT_TRUE(program.waitForStarted());
    EXPECT_FALSE(program.waitForFinished(3000)) << program.readAllStandardError().toStdString();
    program.kill();
    program.waitForFinished();
}

TEST(AppTitle, lastWordGoesThenMoreWhileLongerThanForty)
{
    EXPECT_EQ(Main::appTitleFor(QStringLiteral("Tallymere")), QStringLiteral("Tallymere"));
    EXPECT_EQ(Main::appTitleFor(QStringLiteral("Tallymere Household Ledger")), QStringLiteral("Tallymere Household"));
    EXPECT_EQ(Main::appTitleFor(QStringLiteral("Tallymere ledger for the household books of many long years")),
              QStringLiteral("Tallymere ledger for the household books"));
    EXPECT_EQ(Main::appTitleFor(QStringLiteral("A")), QStringLiteral("A"));
}

TEST(FileExists, trueForFilesAndFoldersThatExistOnly)
{
    test::TestEnvironment env;
    QFile file(env.path(QStringLiteral("HAND-M.CUR")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    EXPECT_TRUE(Main::fileExists(env.path(QStringLiteral("HAND-M.CUR"))));
    EXPECT_TRUE(Main::fileExists(env.folder()));
    EXPECT_FALSE(Main::fileExists(env.path(QStringLiteral("nothing.cur"))));
    EXPECT_FALSE(Main::fileExists(QString()));
}

TEST(Skin, withoutTheSkinFileNoColourChanges)
{
    test::TestEnvironment env;
    Form1 form;
    const QColor before = form.palette().color(QPalette::Window);
    Main::loadSkin(form, *form.ui().SkinFramework1);
    EXPECT_EQ(form.palette().color(QPalette::Window), before);
    EXPECT_TRUE(form.styleSheet().isEmpty());
}

TEST(Skin, theSkinFileColoursTheWindowAndAppliesItsStyleSheet)
{
    test::TestEnvironment env;
    ASSERT_TRUE(QDir().mkpath(env.path(QStringLiteral("x"))));
    QFile skin(env.path(QStringLiteral("x/o.cjs")));
    ASSERT_TRUE(skin.open(QIODevice::WriteOnly));
    skin.write("QPushButton { color: navy; }");
    skin.close();

    Form1 form;
    Main::loadSkin(form, *form.ui().SkinFramework1);
    EXPECT_EQ(form.palette().color(QPalette::Window), QApplication::palette().color(QPalette::Button));
    EXPECT_EQ(form.ui().lblTotalIncome->palette().color(QPalette::Window),
              QApplication::palette().color(QPalette::Button));
    EXPECT_TRUE(form.styleSheet().contains(QStringLiteral("navy")));
    EXPECT_EQ(form.ui().SkinFramework1->Options() & 1, 1);
}

} // namespace
} // namespace tallymere
