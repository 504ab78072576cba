#include "core/export/spreadsheetlaunch.h"

#include <chrono>
#include <ostream>
#include <vector>

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QTimer>

#include "core/export/spreadsheetapplication.h"
#include "core/platform/messagebox.h"
#include "support/scriptedspreadsheet.h"
#include "support/testenvironment.h"

namespace tallymere {
namespace {

/// A spreadsheet program as the real launcher starts it, and whether the user hears of it.
struct ProgramCase {
    const char *name;
    const char *program;
    std::vector<const char *> arguments;
    bool reported;
};

void PrintTo(const ProgramCase &c, std::ostream *os)
{
    *os << c.name;
}

/// Lets the event loop run until no started program is watched any more; false when the
/// watches are still running after a minute, far beyond their own window.
bool watchesEnd()
{
    const QDeadlineTimer limit(std::chrono::minutes(1));
    QEventLoop loop;
    QTimer look;
    QObject::connect(&look, &QTimer::timeout, &loop, [&] {
        if (watchedSpreadsheets() == 0 || limit.hasExpired())
            loop.quit();
    });
    look.start(std::chrono::milliseconds(20));
    loop.exec();
    return watchedSpreadsheets() == 0;
}

class SpreadsheetLaunch : public ::testing::TestWithParam<ProgramCase>
{
protected:
    void TearDown() override
    {
        for (const QString &path : opened)
            QFileInfo(path).absoluteDir().removeRecursively();
    }

    test::TestEnvironment env;
    test::ScriptedSpreadsheet spreadsheet; // finds a program, always
    QStringList opened;
};

TEST_P(SpreadsheetLaunch, programThatFailsToShowTheWorkbookIsReportedWithItsPath)
{
    const ProgramCase &c = GetParam();
    QStringList arguments;
    for (const char *argument : c.arguments)
        arguments << QString::fromUtf8(argument);
    setSpreadsheetLauncher([&](const QString &workbook) {
        opened << workbook;
        return startWatchedSpreadsheet(QString::fromUtf8(c.program), arguments, workbook);
    });

    const auto application = SpreadsheetApplication::create();
    application->Workbooks().Add().ActiveSheet().setCells(1, 1, QStringLiteral("x"));
    application->setVisible(true); // the program has started: the export itself went well
    ASSERT_EQ(opened.size(), 1);
    EXPECT_TRUE(env.boxes().empty());
    ASSERT_TRUE(watchesEnd());

    if (c.reported) {
        ASSERT_EQ(env.boxes().size(), 1u);
        EXPECT_TRUE(env.boxes()[0].text.contains(QDir::toNativeSeparators(opened[0])));
        EXPECT_EQ(env.boxes()[0].caption, platform::applicationTitle());
        EXPECT_EQ(env.boxes()[0].style & platform::MessageStyle::Exclamation, platform::MessageStyle::Exclamation);
    } else {
        EXPECT_TRUE(env.boxes().empty());
    }
    EXPECT_TRUE(QFileInfo(opened[0]).isFile()) << "the workbook stays for the user to open";
}

INSTANTIATE_TEST_SUITE_P(Programs, SpreadsheetLaunch, ::testing::Values(
    ProgramCase{"exitsWithAnError", "false", {}, true},
    ProgramCase{"exitsWithCode3", "sh", {"-c", "exit 3"}, true},
    ProgramCase{"isKilled", "sh", {"-c", "kill -KILL $$"}, true},
    ProgramCase{"cannotBeFound", "tallymere-no-such-program", {}, true},
    ProgramCase{"showsTheWorkbook", "true", {}, false}),
    [](const auto &shown) { return std::string(shown.param.name); });

} // namespace
} // namespace tallymere
