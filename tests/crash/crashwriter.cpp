// The writer of the crash-safety test: a program that loads the main window offscreen over the
// ledger in the folder it is given and saves entries one after another through the entry
// editor, as a user would (the add or update command, the four fields typed, Save clicked),
// until it is killed or has made as many saves as it was asked for.
//
// It writes one JSON line on standard output, flushed at once, for each step the test relies on:
//   {"ready":true}                                    the main window is loaded
//   {"n":7,"op":"insert","table":"income","id":"","values":[...]}   Save is about to be clicked
//   {"n":7,"saved":"12"}                              that Save has returned: stored as sr_no 12
//   {"failed":"..."}                                  something went wrong; the writer ends
// The values are those the ledger must hold afterwards (the date as the ISO text it is stored as).
//
// Usage: tallymere_crashwriter FOLDER FIRST [COUNT [KILL_AT]]
// COUNT -1 saves until killed. With KILL_AT the writer kills itself with SIGKILL just before
// the engine's KILL_AT-th change of a file (a write, a truncation or the removal of a journal).

#include <csignal>
#include <cstdio>
#include <cstdlib>

#include <sys/types.h>
#include <unistd.h>

#include <QApplication>
#include <QDate>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QUrl>

#include "ui/app/form1.h"
#include "ui/windows/mainmodule.h"
#include "ui/controls/listview.h"
#include "ui/controls/pushbutton.h"
#include "ui/entries/form2.h"
#include "core/platform/messagebox.h"
#include "core/platform/program.h"
#include "core/settings/settings.h"

#include <sqlite3.h>

namespace tallymere {
namespace {

void emitLine(const QJsonObject &line)
{
    const QByteArray text = QJsonDocument(line).toJson(QJsonDocument::Compact) + '\n';
    std::fwrite(text.constData(), 1, std::size_t(text.size()), stdout);
    std::fflush(stdout);
}

[[noreturn]] void fail(const QString &why)
{
    emitLine({{QStringLiteral("failed"), why}});
    std::_Exit(2);
}

/// What save number n types: a date month-first (the setting is not "True"), a text, an amount
/// and particulars whose length varies from a few characters to several pages of the file, so
/// that saves write single cells, whole pages and chains of overflow pages.
struct Entry {
    QDate date;
    QString text;
    QString amount;
    QString particulars;
};

Entry entryFor(long long n)
{
    Entry e;
    e.date = QDate(2020, 1, 1).addDays(n * 7 % 2000);
    e.text = QStringLiteral("Entry %1 caf\u00e9 'quoted' \u2615 ").arg(n) + QString::fromUtf8("\xf0\xa0\xae\xb7");
    e.amount = QStringLiteral("%1.%2").arg(n % 5000).arg(n % 100, 2, 10, QLatin1Char('0'));
    const int length = int(n * 997 % 9000) + 1;
    const QString unit = QStringLiteral("[%1] household books, ").arg(n);
    e.particulars = unit.repeated(length / int(unit.size()) + 1).left(length);
    return e;
}

QJsonArray storedValues(const Entry &e)
{
    return {e.date.toString(Qt::ISODate), e.text, e.amount, e.particulars};
}

// A kill timed from outside lands mostly in the engine's waits for the disk; the few
// microseconds between its single writes of one commit are seldom hit. Counting the engine's
// own file changes, through the system calls its unix file layer lets a program replace, puts
// kills exactly there as well.
long long g_changesLeft = -1;

void countChange()
{
    if (g_changesLeft > 0 && --g_changesLeft == 0)
        std::raise(SIGKILL);
}

using WriteCall = ssize_t (*)(int, const void *, size_t);
using PwriteCall = ssize_t (*)(int, const void *, size_t, off_t);
using TruncateCall = int (*)(int, off_t);
using UnlinkCall = int (*)(const char *);
WriteCall g_write = nullptr;
PwriteCall g_pwrite = nullptr;
PwriteCall g_pwrite64 = nullptr;
TruncateCall g_ftruncate = nullptr;
UnlinkCall g_unlink = nullptr;

ssize_t countedWrite(int fd, const void *data, size_t size)
{
    countChange();
    return g_write(fd, data, size);
}
ssize_t countedPwrite(int fd, const void *data, size_t size, off_t offset)
{
    countChange();
    return g_pwrite(fd, data, size, offset);
}
ssize_t countedPwrite64(int fd, const void *data, size_t size, off_t offset)
{
    countChange();
    return g_pwrite64(fd, data, size, offset);
}
int countedFtruncate(int fd, off_t size)
{
    countChange();
    return g_ftruncate(fd, size);
}
int countedUnlink(const char *path)
{
    countChange();
    return g_unlink(path);
}

template<class Call>
void replaceCall(sqlite3_vfs *vfs, const char *name, Call &original, Call counted)
{
    original = reinterpret_cast<Call>(vfs->xGetSystemCall(vfs, name));
    if (original)
        vfs->xSetSystemCall(vfs, name, reinterpret_cast<sqlite3_syscall_ptr>(counted));
}

void killBeforeChange(long long change)
{
    sqlite3_vfs *vfs = sqlite3_vfs_find(nullptr);
    if (!vfs || vfs->iVersion < 3 || !vfs->xSetSystemCall)
        fail(QStringLiteral("the engine's file layer cannot be counted"));
    g_changesLeft = change;
    replaceCall(vfs, "write", g_write, &countedWrite);
    replaceCall(vfs, "pwrite", g_pwrite, &countedPwrite);
    replaceCall(vfs, "pwrite64", g_pwrite64, &countedPwrite64);
    replaceCall(vfs, "ftruncate", g_ftruncate, &countedFtruncate);
    replaceCall(vfs, "unlink", g_unlink, &countedUnlink);
}

} // namespace
} // namespace tallymere

int main(int argc, char **argv)
{
    using namespace tallymere;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("QT_LOGGING_RULES", "qt.qpa.*=false");
    QApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() < 3) {
        std::fputs("usage: tallymere_crashwriter FOLDER FIRST [COUNT [KILL_AT]]\n", stderr);
        return 1;
    }
    const QString folder = args[1];
    const long long first = args[2].toLongLong();
    const long long count = args.size() > 3 ? args[3].toLongLong() : -1;
    if (args.size() > 4)
        killBeforeChange(args[4].toLongLong());

    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    platform::setProgramFolder(folder);
    settings::setStoreFolder(folder + QStringLiteral("/settings"));
    platform::setMessageBoxHandler([](const QString &text, int, const QString &) -> int {
        fail(QStringLiteral("a message box: ") + text);
    });
    platform::setEndProgramHandler([] { fail(QStringLiteral("the program ended")); });
    Main::setHomePageSeams([] { return 1; }, [](const QUrl &) {});

    Form1 window;
    window.Form_Load();
    emitLine({{QStringLiteral("ready"), true}});

    for (long long n = first; count < 0 || n < first + count; ++n) {
        // Two incomes, two expenses, then a change of an income entry already kept.
        const int kind = int(n % 5);
        const bool income = kind != 2 && kind != 3;
        const bool update = kind == 4 && window.ui().ListView1->items().itemCount() > 0;
        ListView *list = income ? window.ui().ListView1 : window.ui().ListView2;
        QString id;
        if (update) {
            const int item = int(n / 5 % list->items().itemCount()) + 1;
            list->setCurrentIndex(list->model()->index(item - 1, 0));
            id = list->items().itemText(item);
            window.PushButton2_Click();
        } else if (income) {
            window.PushButton1_Click();
        } else {
            window.PushButton7_Click();
        }
        Form2 *editor = window.openForm2();
        if (!editor || editor->mUpdateID != id)
            fail(QStringLiteral("the editor did not open for save %1").arg(n));

        const Entry e = entryFor(n);
        editor->ui().Text1[1]->setText(e.date.toString(QStringLiteral("M/d/yyyy")));
        editor->ui().Text1[2]->setText(e.text);
        editor->ui().Text1[3]->setText(e.amount);
        editor->ui().Text1[4]->setText(e.particulars);
        emitLine({{QStringLiteral("n"), n},
                  {QStringLiteral("op"), update ? QStringLiteral("update") : QStringLiteral("insert")},
                  {QStringLiteral("table"), income ? QStringLiteral("income") : QStringLiteral("expenses")},
                  {QStringLiteral("id"), id},
                  {QStringLiteral("values"), storedValues(e)}});

        editor->ui().PushButton1->click();

        if (window.openForm2())
            fail(QStringLiteral("the editor is still open after save %1").arg(n));
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        const int items = list->items().itemCount();
        if (!update && items == 0)
            fail(QStringLiteral("the list is empty after save %1").arg(n));
        // Rows are listed in ascending sr_no, so a new entry is the last item.
        emitLine({{QStringLiteral("n"), n}, {QStringLiteral("saved"), update ? id : list->items().itemText(items)}});
    }
    return 0;
}
