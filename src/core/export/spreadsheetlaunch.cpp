#include "core/export/spreadsheetlaunch.h"

#include <chrono>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTimer>

#include "core/platform/messagebox.h"

namespace tallymere {
namespace {

// A spreadsheet program that cannot show the file says so within moments (xdg-open without a
// program for the file, a LibreOffice that cannot start); after this long it is taken to be
// showing the workbook and is left alone.
constexpr auto kWatchWindow = std::chrono::seconds(10);
constexpr auto kPollInterval = std::chrono::milliseconds(100);

// The program runs under a small shell that waits for it and then writes its exit status ("$?";
// 128 + the signal for a crash) to a file beside the workbook, under a temporary name first, so
// the file is never read half written. The shell is started detached (Qt's double fork hands it
// to the system): the spreadsheet program never dies with this program, this program never
// waits for it, and no process is left for this one to collect. The status file is all that
// connects the two.
const QString kShell = QStringLiteral("/bin/sh");
const QString kShellName = QStringLiteral("tallymere-spreadsheet");
const QString kStatusScript = QStringLiteral(
    "status_file=$1; shift; \"$@\"; status=$?; "
    "echo \"$status\" > \"$status_file.part\" && mv -f \"$status_file.part\" \"$status_file\"");
const QString kWatchName = QStringLiteral("tallymere-spreadsheet-watch");

/// The exit status the shell wrote, or -1 while there is none.
int readStatus(const QString &statusFile)
{
    QFile file(statusFile);
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    bool ok = false;
    const int status = file.readAll().trimmed().toInt(&ok);
    return ok ? status : -1;
}

void reportNotShown(const QString &workbookPath)
{
    platform::msgBox(QStringLiteral("The spreadsheet program could not show the workbook. You can open it "
                                    "yourself from here:\r\n")
                         + QDir::toNativeSeparators(workbookPath),
                     platform::MessageStyle::OkOnly | platform::MessageStyle::Exclamation);
}

/// Looks for the status file every tenth of a second until it appears or the watch window ends.
void watch(const QString &statusFile, const QString &workbookPath)
{
    auto *poll = new QTimer(QCoreApplication::instance());
    poll->setObjectName(kWatchName);
    poll->setInterval(kPollInterval);
    const QDeadlineTimer until(kWatchWindow);
    QObject::connect(poll, &QTimer::timeout, poll, [poll, statusFile, workbookPath, until] {
        const int status = readStatus(statusFile);
        if (status < 0 && !until.hasExpired())
            return;
        // Stopped before the box: the box runs its own event loop, in which this timer must not
        // fire again.
        poll->stop();
        poll->deleteLater();
        if (status > 0) {
            try {
                reportNotShown(workbookPath);
            } catch (...) {
                // Nothing may leave a timer's slot into the event loop; the box is all there is.
            }
        }
    });
    poll->start();
}

} // namespace

bool startWatchedSpreadsheet(const QString &program, const QStringList &arguments, const QString &workbookPath)
{
    const QString statusFile = QFileInfo(workbookPath).absoluteDir().filePath(QLatin1String(kExitStatusFile));
    QFile::remove(statusFile); // from an earlier showing of the same workbook
    QProcess process;
    process.setProgram(kShell);
    process.setArguments(QStringList{QStringLiteral("-c"), kStatusScript, kShellName, statusFile, program} + arguments);
    if (!process.startDetached())
        return false;
    if (QCoreApplication::instance())
        watch(statusFile, workbookPath);
    return true;
}

int watchedSpreadsheets() noexcept
{
    const QCoreApplication *application = QCoreApplication::instance();
    if (!application)
        return 0;
    int watching = 0;
    for (const QTimer *poll : application->findChildren<QTimer *>(kWatchName, Qt::FindDirectChildrenOnly))
        watching += poll->isActive() ? 1 : 0;
    return watching;
}

} // namespace tallymere
