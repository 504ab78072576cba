// Backups of the ledger: made, checked and pruned on real files; failures on real read-only and
// full file systems and on a copy damaged on its way to the disk; a backup killed at random
// moments.

#include <algorithm>
#include <functional>
#include <iostream>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <linux/capability.h>
#include <sys/file.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <sqlite3.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QTest>

#include "core/backup/backup.h"
#include "core/db/connection.h"
#include "core/db/ledgerschema.h"
#include "core/platform/messagebox.h"
#include "support/ledgerfile.h"
#include "support/testenvironment.h"

namespace tallymere {
namespace {

using Outcome = Backup::Result::Outcome;

const QDateTime kNow(QDate(2024, 6, 20), QTime(9, 30, 15));

/// Runs a statement on the ledger through a connection of its own, as another program would.
void execute(const QString &ledger, const std::string &sql)
{
    sqlite3 *db = nullptr;
    ASSERT_EQ(sqlite3_open_v2(QFile::encodeName(ledger).constData(), &db, SQLITE_OPEN_READWRITE, nullptr), SQLITE_OK);
    char *message = nullptr;
    const int rc = sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &message);
    const std::string text = message ? message : "";
    sqlite3_free(message);
    sqlite3_close_v2(db);
    ASSERT_EQ(rc, SQLITE_OK) << text;
}

/// Adds `rows` entries to each table in one transaction.
void addEntries(const QString &ledger, int rows)
{
    std::string sql = "BEGIN;";
    sql += "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < " + std::to_string(rows) + ") ";
    sql += "INSERT INTO income (date, source, amount, particulars) SELECT '2024-05-' || (10 + i % 20), "
           "'Source ' || i, (i % 997) || '.25', 'Entry ' || i || ' of the household books, caf\xc3\xa9' FROM n;";
    sql += "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < " + std::to_string(rows) + ") ";
    sql += "INSERT INTO expenses (date, category, amount, particulars) SELECT '2024-04-' || (10 + i % 20), "
           "'Category ' || i, (i % 499) || '.5', 'Expense ' || i || ' paid \xe2\x82\xac' FROM n;";
    sql += "COMMIT;";
    execute(ledger, sql);
}

/// A ledger in the program folder with a few entries of each kind.
QString smallLedger(const test::TestEnvironment &env)
{
    const QString ledger = ledgerPath(env.folder());
    test::makeLedger(ledger);
    test::insertRow(ledger, "income", "2024-05-01", "Salary", "2500", "May");
    test::insertRow(ledger, "income", "2024-05-03", "Rent", "700.10", "Rent Mai");
    test::insertRow(ledger, "expenses", "2024-05-02", "Food", "12.50", std::nullopt);
    test::insertRow(ledger, "expenses", "2024-05-04", "Fuel", "60", "Full tank \xe2\x9b\xbd");
    return ledger;
}

/// The files of a folder, hidden ones included, in name order.
QStringList filesIn(const QString &folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Dirs | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                                  QDir::Name);
}

QStringList finalNames(const QString &folder)
{
    return QDir(folder).entryList({QStringLiteral("dbExpense-*.mdb")}, QDir::Files, QDir::Name);
}

QStringList temporaryNames(const QString &folder)
{
    return QDir(folder).entryList({QStringLiteral(".dbExpense-*")}, QDir::Files | QDir::Hidden, QDir::Name);
}

/// Runs one backup the way the program does (its own thread, the report on this one) and waits
/// for its result.
Backup::Result runBackup(const QString &ledger, const QDateTime &now)
{
    Backup backup(ledger);
    backup.setClock([now] { return now; });
    Backup::Result result;
    QObject::connect(&backup, &Backup::finished, [&](const Backup::Result &r) { result = r; });
    backup.start();
    EXPECT_TRUE(QTest::qWaitFor([&] { return !backup.isRunning(); }, 120000));
    return result;
}

/// Whether a backup checks against the ledger it was taken of, unchanged since.
void expectSameRows(const QString &backup, const QString &ledger)
{
    EXPECT_EQ(test::integrityCheck(backup), "ok");
    for (const std::string table : {"income", "expenses"})
        EXPECT_EQ(test::readRows(backup, table), test::readRows(ledger, table)) << table;
}

TEST(Backup, isMadeAfterStartAndAnUnchangedLedgerGetsNoSecond)
{
    test::TestEnvironment env;
    const QString ledger = smallLedger(env);
    const test::FileStamp before = test::fileStamp(ledger);

    const Backup::Result first = runBackup(ledger, kNow);
    ASSERT_EQ(first.outcome, Outcome::Made) << first.reason.toStdString();
    const QString folder = env.path(QStringLiteral("backups"));
    const QStringList made{QLatin1String(kCheckedBackupsNote), QStringLiteral("dbExpense-20240620-093015.mdb")};
    EXPECT_EQ(filesIn(folder), made);
    EXPECT_EQ(first.file, folder + QStringLiteral("/dbExpense-20240620-093015.mdb"));
    expectSameRows(first.file, ledger);

    // The next start, an hour later, over the same ledger.
    const Backup::Result second = runBackup(ledger, kNow.addSecs(3600));
    EXPECT_EQ(second.outcome, Outcome::Unchanged);
    EXPECT_EQ(filesIn(folder), made);
    EXPECT_TRUE(env.boxes().empty());
    EXPECT_EQ(test::fileStamp(ledger), before);
}

/// A change made between two starts, and whether it calls for a new backup.
struct ChangeCase {
    const char *name;
    const char *sql;
    bool newBackup;
};

class BackupAfterChange : public testing::TestWithParam<ChangeCase>
{
};

TEST_P(BackupAfterChange, isMadeExactlyWhenTheContentDiffers)
{
    test::TestEnvironment env;
    const QString ledger = smallLedger(env);
    ASSERT_EQ(Backup::run(ledger, kNow).outcome, Outcome::Made);
    if (*GetParam().sql)
        execute(ledger, GetParam().sql);

    const Backup::Result next = Backup::run(ledger, kNow.addDays(1));
    const QString folder = env.path(QStringLiteral("backups"));
    if (GetParam().newBackup) {
        ASSERT_EQ(next.outcome, Outcome::Made) << next.reason.toStdString();
        EXPECT_EQ(finalNames(folder).size(), 2);
        expectSameRows(next.file, ledger);
    } else {
        EXPECT_EQ(next.outcome, Outcome::Unchanged);
        EXPECT_EQ(finalNames(folder).size(), 1);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Changes, BackupAfterChange,
    testing::Values(ChangeCase{"nothing", "", false},
                    // The file is written, its content stays: no backup of the same content.
                    ChangeCase{"sameValuesWrittenAgain", "UPDATE income SET amount = amount", false},
                    ChangeCase{"entryAdded", "INSERT INTO income (date, source, amount) VALUES ('2024-06-01', 'Gift', '5')", true},
                    ChangeCase{"amountChanged", "UPDATE expenses SET amount = '12.51' WHERE sr_no = 1", true},
                    ChangeCase{"oneLetterChanged", "UPDATE income SET particulars = 'Rent May' WHERE sr_no = 2", true},
                    ChangeCase{"nullBecomesEmpty", "UPDATE expenses SET particulars = '' WHERE sr_no = 1", true},
                    ChangeCase{"entryDeleted", "DELETE FROM income WHERE sr_no = 1", true},
                    // Same rows, but the next added entry would get another number.
                    ChangeCase{"lastEntryAddedAndDeleted",
                               "INSERT INTO expenses (date) VALUES ('2024-06-02'); "
                               "DELETE FROM expenses WHERE sr_no = 3",
                               true}),
    [](const testing::TestParamInfo<ChangeCase> &change) { return std::string(change.param.name); });

/// A backup's file name for a time written as "yyyyMMdd-HHmmss".
QString named(const char *stamp)
{
    return QStringLiteral("dbExpense-%1.mdb").arg(QLatin1String(stamp));
}

/// One backup a day at 10:00 for `days` days from `first`.
QStringList daily(QDate first, int days)
{
    QStringList names;
    for (int i = 0; i < days; ++i)
        names << Backup::fileNameFor(QDateTime(first.addDays(i), QTime(10, 0)));
    return names;
}

/// Backups at 10:00 on the given days of `months` months from the month of `first`.
QStringList monthly(QDate first, int months, std::initializer_list<int> days = {1})
{
    QStringList names;
    for (int m = 0; m < months; ++m) {
        for (const int day : days)
            names << Backup::fileNameFor(QDateTime(first.addMonths(m).addDays(day - 1), QTime(10, 0)));
    }
    return names;
}

struct PruneCase {
    std::string name;
    QDateTime now;
    QStringList fileNames;
    QString justMade;
    QStringList pruned;
};

class BackupPruning : public testing::TestWithParam<PruneCase>
{
};

TEST_P(BackupPruning, keepsTheNewestTenAndTheNewestOfEachOfTheLastTwelveMonths)
{
    const PruneCase &c = GetParam();
    QStringList pruned = Backup::toPrune(c.fileNames, c.now, c.justMade);
    pruned.sort();
    QStringList expected = c.pruned;
    expected.sort();
    EXPECT_EQ(pruned, expected);
}

std::vector<PruneCase> pruneCases()
{
    const QDateTime june15(QDate(2024, 6, 15), QTime(12, 0));
    std::vector<PruneCase> cases;
    cases.push_back({"fewerThanTen", june15, daily(QDate(2024, 6, 1), 7), {}, {}});
    cases.push_back({"exactlyTen", june15, daily(QDate(2024, 6, 1), 10), {}, {}});
    cases.push_back({"twelveInOneMonth", june15, daily(QDate(2024, 6, 1), 12), {},
                     {named("20240601-100000"), named("20240602-100000")}});
    // One a month from July 2022 to June 2024: the newest ten reach back to September 2023, the
    // months to July 2023; the twelve before go.
    cases.push_back({"oneAMonthForTwoYears", june15, monthly(QDate(2022, 7, 1), 24), {},
                     monthly(QDate(2022, 7, 1), 12)});
    // Three a month from January 2023: the newest ten are June, May, April and the 13th of
    // March 2024; from July 2023 to February 2024 only the 13th stays; before July 2023 nothing.
    {
        PruneCase c{"threeAMonthForAYearAndAHalf", june15, monthly(QDate(2023, 1, 1), 18, {3, 8, 13}), {}, {}};
        c.pruned = monthly(QDate(2023, 1, 1), 6, {3, 8, 13}) + monthly(QDate(2023, 7, 1), 8, {3, 8})
            + QStringList{named("20240303-100000"), named("20240308-100000")};
        cases.push_back(c);
    }
    // Backups of one day: their times decide which are the newest.
    cases.push_back({"sameDaySortedByTime", june15,
                     daily(QDate(2024, 6, 1), 10) + QStringList{named("20240601-095959"), named("20240601-100001")},
                     {}, {named("20240601-095959"), named("20240601-100000")}});
    // Names that are not a backup's are never pruned, however many backups there are.
    cases.push_back({"foreignNamesUntouched", june15,
                     daily(QDate(2024, 6, 1), 11)
                         + QStringList{QStringLiteral("notes.txt"), QStringLiteral("dbExpense.mdb"),
                                       QStringLiteral("dbExpense-20230230-100000.mdb"),
                                       QStringLiteral("dbExpense-20230101-250000.mdb"),
                                       QStringLiteral("dbExpense-20230101-100000.mdb.part"),
                                       QStringLiteral(".dbExpense-20230101-100000-0000abcd.mdb.part"),
                                       QStringLiteral("DBEXPENSE-20230101-100000.MDB"),
                                       QStringLiteral("dbExpense-20230101-100000.mdb~"),
                                       QStringLiteral("old-dbExpense-20230101-100000.mdb"),
                                       QStringLiteral("dbExpense-2023010-1000000.mdb")},
                     {}, {named("20240601-100000")}});
    // The clock was set back: eleven backups dated later than now are kept and not counted, so
    // the one just made and the one before it are the two newest.
    cases.push_back({"clockSetBack", QDateTime(QDate(2024, 1, 10), QTime(0, 0)),
                     daily(QDate(2024, 6, 1), 10)
                         + QStringList{named("20240120-100000"), named("20240110-000000"), named("20230101-100000")},
                     named("20240110-000000"), {}});
    // Ten backups dated in 2099 beside eleven of this month: only the eleventh newest of those
    // goes.
    cases.push_back({"futureDatedNotCounted", june15, daily(QDate(2099, 1, 1), 10) + daily(QDate(2024, 6, 1), 11),
                     {}, {named("20240601-100000")}});
    // Twelve months means this month and the eleven before it: June 2023 is one too many.
    cases.push_back({"thirteenthMonthBack", june15,
                     daily(QDate(2024, 6, 1), 10) + QStringList{named("20230715-100000"), named("20230630-235959")},
                     {}, {named("20230630-235959")}});
    return cases;
}

INSTANTIATE_TEST_SUITE_P(Sets, BackupPruning, testing::ValuesIn(pruneCases()),
                         [](const testing::TestParamInfo<PruneCase> &set) { return set.param.name; });

/// Copies `source` into `folder` under each of `names`.
void placeCopies(const QString &source, const QString &folder, const QStringList &names)
{
    ASSERT_TRUE(QDir().mkpath(folder));
    for (const QString &name : names)
        ASSERT_TRUE(QFile::copy(source, folder + u'/' + name)) << name.toStdString();
}

TEST(Backup, prunesOnlyAfterTheNewBackupChecksAndLeavesOtherFilesAlone)
{
    test::TestEnvironment env;
    const QString ledger = smallLedger(env);
    const QString folder = env.path(QStringLiteral("backups"));
    ASSERT_TRUE(QDir().mkpath(folder + QStringLiteral("/dbExpense-20200101-000000.mdb")));
    // Earlier backups, of the ledger before its last entry, and files that are not backups.
    placeCopies(ledger, folder, daily(QDate(2024, 6, 1), 11) + QStringList{named("20230810-100000"), named("20230510-100000")});
    test::insertRow(ledger, "income", "2024-06-19", "Bonus", "100", std::nullopt);
    for (const QString &name : {QStringLiteral("notes.txt"), QStringLiteral("dbExpense-20240601-100000.mdb.bak")}) {
        QFile file(folder + u'/' + name);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }

    const Backup::Result result = Backup::run(ledger, kNow);
    ASSERT_EQ(result.outcome, Outcome::Made) << result.reason.toStdString();

    QStringList expected = daily(QDate(2024, 6, 3), 9)
        + QStringList{named("20230810-100000"), named("20240620-093015"), QStringLiteral("dbExpense-20200101-000000.mdb"),
                      QStringLiteral("notes.txt"), QStringLiteral("dbExpense-20240601-100000.mdb.bak"),
                      QLatin1String(kCheckedBackupsNote)};
    expected.sort();
    EXPECT_EQ(filesIn(folder), expected);
    expectSameRows(result.file, ledger);
}

TEST(Backup, datedLaterThanNowIsKeptButNeitherCountedNorComparedWith)
{
    test::TestEnvironment env;
    const QString ledger = smallLedger(env);
    const QString folder = env.path(QStringLiteral("backups"));
    // Ten backups named in 2099 (the clock was once wrong), of the ledger as it was then.
    const QStringList future = daily(QDate(2099, 1, 1), 10);
    placeCopies(ledger, folder, future);

    test::insertRow(ledger, "income", "2024-06-20", "Gift", "5", std::nullopt);
    const Backup::Result first = Backup::run(ledger, kNow);
    ASSERT_EQ(first.outcome, Outcome::Made) << first.reason.toStdString();
    test::insertRow(ledger, "income", "2024-06-20", "Gift", "6", std::nullopt);
    const Backup::Result second = Backup::run(ledger, kNow.addSecs(3600));
    ASSERT_EQ(second.outcome, Outcome::Made) << second.reason.toStdString();
    // Compared with the backup made last, not with one of 2099.
    EXPECT_EQ(Backup::run(ledger, kNow.addSecs(7200)).outcome, Outcome::Unchanged);

    QStringList expected = future + QStringList{QFileInfo(first.file).fileName(), QFileInfo(second.file).fileName()};
    expected.sort();
    EXPECT_EQ(finalNames(folder), expected);
}

/// What a file named as a backup holds before a run.
enum class Held { Backup, TruncatedBackup, Notes, Nothing };

struct DamageCase {
    const char *name;
    std::vector<Held> files;  // named a minute apart on the day of the run, oldest first
    std::vector<int> pruned;  // the good ones the run removes, by their place in `files`
    int damagedAfterCheck = -1; // a good one a first run checks and that is then cut in half
};

class BackupAmongDamagedFiles : public testing::TestWithParam<DamageCase>
{
};

TEST_P(BackupAmongDamagedFiles, neverCountsThemRenamesThemAndNamesThemInOneMessage)
{
    const DamageCase &c = GetParam();
    test::TestEnvironment env;
    const QString ledger = smallLedger(env);
    addEntries(ledger, 300); // several pages, so that half a file is a damaged one
    const QString folder = env.path(QStringLiteral("backups"));
    QStringList names;
    for (std::size_t i = 0; i < c.files.size(); ++i)
        names << Backup::fileNameFor(QDateTime(kNow.date(), QTime(0, int(i))));
    placeCopies(ledger, folder, names);
    const auto damage = [&](int i, Held held) {
        QFile file(folder + u'/' + names[i]);
        if (held == Held::TruncatedBackup) {
            ASSERT_TRUE(file.resize(file.size() / 2));
        }
        if (held == Held::Notes || held == Held::Nothing) {
            ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
            file.write(held == Held::Notes ? "Receipts to keep: the fridge, the bicycle.\n" : "");
        }
    };
    QStringList damaged;
    for (std::size_t i = 0; i < c.files.size(); ++i) {
        damage(int(i), c.files[i]);
        if (c.files[i] != Held::Backup)
            damaged << names[int(i)];
    }
    if (c.damagedAfterCheck >= 0) {
        ASSERT_EQ(runBackup(ledger, kNow.addSecs(-3600)).outcome, Outcome::Unchanged);
        damage(c.damagedAfterCheck, Held::TruncatedBackup);
        damaged << names[c.damagedAfterCheck];
    }
    test::insertRow(ledger, "expenses", "2024-06-20", "Books", "30", std::nullopt);

    const Backup::Result result = runBackup(ledger, kNow);
    ASSERT_EQ(result.outcome, Outcome::Made) << result.reason.toStdString();

    QStringList expected{QFileInfo(result.file).fileName()};
    for (int i = 0; i < names.size(); ++i) {
        if (damaged.contains(names[i]))
            expected << names[i] + QStringLiteral(".damaged");
        else if (std::find(c.pruned.begin(), c.pruned.end(), i) == c.pruned.end())
            expected << names[i];
    }
    expected.sort();
    EXPECT_EQ(filesIn(folder).filter(QStringLiteral("dbExpense-")), expected);
    ASSERT_EQ(env.boxes().size(), 1u);
    const test::ShownBox &box = env.boxes().front();
    EXPECT_EQ(box.style, platform::MessageStyle::OkOnly | platform::MessageStyle::Exclamation);
    EXPECT_TRUE(box.text.contains(folder)) << box.text.toStdString();
    for (const QString &name : damaged)
        EXPECT_TRUE(box.text.contains(name + QStringLiteral(".damaged"))) << box.text.toStdString();
}

std::vector<DamageCase> damageCases()
{
    const auto backups = [](int n) { return std::vector<Held>(std::size_t(n), Held::Backup); };
    const auto then = [](std::vector<Held> a, const std::vector<Held> &b) {
        a.insert(a.end(), b.begin(), b.end());
        return a;
    };
    return {
        // Ten good backups and a cut one: the new backup and the nine newest good ones are the ten.
        {"truncatedNewest", then(backups(10), {Held::TruncatedBackup}), {0}},
        // Ten cut files newer than five good backups: no good one goes.
        {"tenTruncatedNewer", then(backups(5), std::vector<Held>(10, Held::TruncatedBackup)), {}},
        // Files that are no database, or empty, among eleven good backups: the two oldest go.
        {"notesAndAnEmptyFile", then(then(backups(6), {Held::Notes}), then(backups(5), {Held::Nothing})), {0, 1}},
        // A backup checked once and damaged since: its size tells that it needs a check again.
        {"damagedAfterItsCheck", backups(10), {}, 9},
    };
}

INSTANTIATE_TEST_SUITE_P(Folders, BackupAmongDamagedFiles, testing::ValuesIn(damageCases()),
                         [](const testing::TestParamInfo<DamageCase> &c) { return std::string(c.param.name); });

TEST(Backup, staleTemporaryFilesOfKilledRunsGoAndOneUnderWayStays)
{
    test::TestEnvironment env;
    const QString ledger = smallLedger(env);
    const QString folder = env.path(QStringLiteral("backups"));
    ASSERT_TRUE(QDir().mkpath(folder));
    const QString stale = folder + QStringLiteral("/.dbExpense-20240619-080000-0123abcd.mdb.part");
    const QString underWay = folder + QStringLiteral("/.dbExpense-20240620-093000-4567cdef.mdb.part");
    const QString foreign = folder + QStringLiteral("/.dbExpense-notes.part");
    for (const QString &path : {stale, underWay, foreign}) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    // Another run holds its file locked while it writes.
    const int held = ::open(QFile::encodeName(underWay).constData(), O_RDONLY);
    ASSERT_GE(held, 0);
    ASSERT_EQ(::flock(held, LOCK_EX), 0);

    EXPECT_EQ(Backup::run(ledger, kNow).outcome, Outcome::Made);
    ::close(held);

    EXPECT_FALSE(QFileInfo::exists(stale));
    EXPECT_TRUE(QFileInfo::exists(underWay));
    EXPECT_TRUE(QFileInfo::exists(foreign));
    EXPECT_EQ(finalNames(folder), QStringList{QStringLiteral("dbExpense-20240620-093015.mdb")});
}

/// A file system mounted for one test, unmounted at its end.
class Mount
{
public:
    Mount(const QString &dir, unsigned long flags, const char *options) : m_dir(QFile::encodeName(dir))
    {
        QDir().mkpath(dir);
        m_mounted = ::mount("tmpfs", m_dir.constData(), "tmpfs", flags, options) == 0;
    }
    ~Mount()
    {
        if (m_mounted)
            ::umount2(m_dir.constData(), MNT_DETACH);
    }
    bool mounted() const { return m_mounted; }

private:
    QByteArray m_dir;
    bool m_mounted = false;
};

// The engine's own file layer lets a program replace its system calls; this one damages every
// page written to a backup's temporary file after the first, as a failing disk or controller
// would, so that the copy on disk is not what the engine sent.
using WriteCall = ssize_t (*)(int, const void *, size_t);
using PwriteCall = ssize_t (*)(int, const void *, size_t, off_t);
WriteCall g_write = nullptr;
PwriteCall g_pwrite = nullptr;
PwriteCall g_pwrite64 = nullptr;

bool isTemporaryCopy(int fd)
{
    char target[4096];
    const ssize_t n = ::readlink(("/proc/self/fd/" + std::to_string(fd)).c_str(), target, sizeof target - 1);
    return n > 0 && std::string(target, std::size_t(n)).ends_with(".mdb.part");
}

ssize_t damaging(PwriteCall original, int fd, const void *data, size_t size, off_t offset)
{
    if (offset == 0 || !isTemporaryCopy(fd))
        return original(fd, data, size, offset);
    std::string damaged(static_cast<const char *>(data), size);
    std::fill(damaged.begin(), damaged.end(), '\xff');
    return original(fd, damaged.data(), size, offset);
}
ssize_t damagingWrite(int fd, const void *data, size_t size)
{
    return damaging([](int f, const void *d, size_t n, off_t) { return g_write(f, d, n); }, fd, data, size,
                    ::lseek(fd, 0, SEEK_CUR));
}
ssize_t damagingPwrite(int fd, const void *data, size_t size, off_t offset)
{
    return damaging(g_pwrite, fd, data, size, offset);
}
ssize_t damagingPwrite64(int fd, const void *data, size_t size, off_t offset)
{
    return damaging(g_pwrite64, fd, data, size, offset);
}

class DamagedWrites
{
public:
    DamagedWrites() : m_vfs(sqlite3_vfs_find("unix"))
    {
        g_write = reinterpret_cast<WriteCall>(m_vfs->xGetSystemCall(m_vfs, "write"));
        g_pwrite = reinterpret_cast<PwriteCall>(m_vfs->xGetSystemCall(m_vfs, "pwrite"));
        g_pwrite64 = reinterpret_cast<PwriteCall>(m_vfs->xGetSystemCall(m_vfs, "pwrite64"));
        if (g_write)
            m_vfs->xSetSystemCall(m_vfs, "write", reinterpret_cast<sqlite3_syscall_ptr>(&damagingWrite));
        if (g_pwrite)
            m_vfs->xSetSystemCall(m_vfs, "pwrite", reinterpret_cast<sqlite3_syscall_ptr>(&damagingPwrite));
        if (g_pwrite64)
            m_vfs->xSetSystemCall(m_vfs, "pwrite64", reinterpret_cast<sqlite3_syscall_ptr>(&damagingPwrite64));
    }
    ~DamagedWrites() { m_vfs->xSetSystemCall(m_vfs, nullptr, nullptr); }
    DamagedWrites(const DamagedWrites &) = delete;
    DamagedWrites &operator=(const DamagedWrites &) = delete;

private:
    sqlite3_vfs *m_vfs;
};

/// How a backup fails: what the test does to the backups folder before the run (false when the
/// machine cannot do it), and what the message says went wrong.
struct FailureCase {
    const char *name;
    std::function<bool(const QString &folder, std::vector<std::unique_ptr<Mount>> &mounts)> prepare;
    const char *reason;
    bool damageWrites = false;
};

class BackupFailure : public testing::TestWithParam<FailureCase>
{
};

TEST_P(BackupFailure, showsOneMessageLeavesNoFileAndTheLedgerAsItWas)
{
    test::TestEnvironment env;
    const QString ledger = smallLedger(env);
    addEntries(ledger, 5000); // larger than the small file system below
    const test::FileStamp before = test::fileStamp(ledger);
    const QString folder = env.path(QStringLiteral("backups"));
    std::vector<std::unique_ptr<Mount>> mounts;
    if (!GetParam().prepare(folder, mounts))
        GTEST_SKIP() << "this machine cannot mount a small file system here";

    Backup::Result result;
    {
        std::unique_ptr<DamagedWrites> damage(GetParam().damageWrites ? new DamagedWrites : nullptr);
        result = runBackup(ledger, kNow);
    }

    EXPECT_EQ(result.outcome, Outcome::Failed);
    ASSERT_EQ(env.boxes().size(), 1u);
    const test::ShownBox &box = env.boxes().front();
    EXPECT_EQ(box.caption, platform::applicationTitle());
    EXPECT_EQ(box.style, platform::MessageStyle::OkOnly | platform::MessageStyle::Exclamation);
    EXPECT_TRUE(box.text.contains(folder)) << box.text.toStdString();
    EXPECT_TRUE(box.text.contains(QLatin1String(GetParam().reason), Qt::CaseInsensitive)) << box.text.toStdString();
    EXPECT_EQ(filesIn(folder), QStringList{});
    EXPECT_EQ(test::fileStamp(ledger), before);
}

bool readOnlyFolder(const QString &folder, std::vector<std::unique_ptr<Mount>> &mounts)
{
    if (::geteuid() != 0) {
        QDir().mkpath(folder);
        return ::chmod(QFile::encodeName(folder).constData(), 0555) == 0;
    }
    // Permissions do not stop the superuser; a read-only file system does.
    mounts.push_back(std::make_unique<Mount>(folder, MS_RDONLY, ""));
    return mounts.back()->mounted();
}

bool smallFileSystem(const QString &folder, std::vector<std::unique_ptr<Mount>> &mounts)
{
    mounts.push_back(std::make_unique<Mount>(folder, 0, "size=256k"));
    return mounts.back()->mounted();
}

INSTANTIATE_TEST_SUITE_P(
    Failures, BackupFailure,
    testing::Values(FailureCase{"readOnlyFolder", &readOnlyFolder, "No file can be made in it"},
                    FailureCase{"diskFull", &smallFileSystem, "full"},
                    FailureCase{"copyDamagedOnTheWayToDisk",
                                [](const QString &, std::vector<std::unique_ptr<Mount>> &) { return true; },
                                "did not pass its check", true}),
    [](const testing::TestParamInfo<FailureCase> &failure) { return std::string(failure.param.name); });

/// For its lifetime the file permissions hold for this thread, and for the threads it starts,
/// as they hold for any user: the superuser's power to pass them by is set aside.
class AsOrdinaryUser
{
public:
    AsOrdinaryUser()
    {
        if (::syscall(SYS_capget, &m_header, m_saved) != 0)
            return;
        __user_cap_data_struct lowered[2] = {m_saved[0], m_saved[1]};
        lowered[0].effective &= ~((1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH) | (1u << CAP_FOWNER));
        m_lowered = ::syscall(SYS_capset, &m_header, lowered) == 0;
    }
    ~AsOrdinaryUser()
    {
        if (m_lowered)
            ::syscall(SYS_capset, &m_header, m_saved);
    }
    AsOrdinaryUser(const AsOrdinaryUser &) = delete;
    AsOrdinaryUser &operator=(const AsOrdinaryUser &) = delete;

private:
    __user_cap_header_struct m_header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct m_saved[2]{};
    bool m_lowered = false;
};

TEST(Backup, ofAReadOnlyLedgerIsMadeByReadingAlone)
{
    test::TestEnvironment env;
    const QString ledger = smallLedger(env);
    ASSERT_EQ(::chmod(QFile::encodeName(ledger).constData(), 0444), 0);
    const test::FileStamp before = test::fileStamp(ledger);

    Backup::Result result;
    {
        const AsOrdinaryUser user;
        QFile write(ledger);
        ASSERT_FALSE(write.open(QIODevice::ReadWrite)) << "the ledger can still be written";
        result = runBackup(ledger, kNow);
    }
    ASSERT_EQ(result.outcome, Outcome::Made) << result.reason.toStdString();
    EXPECT_TRUE(env.boxes().empty());
    expectSameRows(result.file, ledger);
    EXPECT_EQ(test::fileStamp(ledger), before);
}

/// What is wrong with a backup file taken of a ledger that only ever grows by batches added to
/// both tables at once; empty when nothing is.
std::string problemOf(const QString &backup, const QString &ledger, int batch)
{
    const std::string integrity = test::integrityCheck(backup);
    if (integrity != "ok")
        return "integrity: " + integrity.substr(0, 200);
    const test::Rows income = test::readRows(backup, "income");
    const test::Rows expenses = test::readRows(backup, "expenses");
    if (income.size() != expenses.size())
        return "income has " + std::to_string(income.size()) + " rows, expenses " + std::to_string(expenses.size());
    if (income.size() % std::size_t(batch) != 0)
        return "a batch is cut: " + std::to_string(income.size()) + " rows";
    const test::Rows ledgerIncome = test::readRows(ledger, "income");
    if (income.size() > ledgerIncome.size() || !std::equal(income.begin(), income.end(), ledgerIncome.begin()))
        return "income rows differ from the ledger's";
    return {};
}

TEST(Backup, killedAtRandomMomentsNeverLeavesAFinalFileThatFailsItsCheck)
{
    constexpr int kKills = 12;
    constexpr int kBatch = 500;
    constexpr quint32 kSeed = 20240620;
    test::TestEnvironment env;
    const QString ledger = ledgerPath(env.folder());
    test::makeLedger(ledger);
    addEntries(ledger, 60000); // about 10 MB: a copy takes long enough to be cut short
    const QString folder = env.path(QStringLiteral("backups"));

    QRandomGenerator random(kSeed);
    std::set<QString> checked;
    int made = 0;
    int temporariesLeft = 0;
    qint64 lastRunMs = 100;
    for (int kill = 1; kill <= kKills; ++kill) {
        SCOPED_TRACE("kill " + std::to_string(kill));
        QProcess writer;
        writer.start(QStringLiteral(TALLYMERE_BACKUPWRITER),
                     {ledger, QString::number(kill * 100000), QString::number(kBatch)});
        // Let at least one run finish in every life of the writer, then kill it at a random
        // moment within the next run or so.
        bool finishedOne = false;
        while (!finishedOne && writer.waitForReadyRead(60000)) {
            while (writer.canReadLine()) {
                const QString line = QString::fromUtf8(writer.readLine()).trimmed();
                ASSERT_FALSE(line.startsWith(QLatin1String("failed"))) << line.toStdString();
                if (line.startsWith(QLatin1String("made"))) {
                    ++made;
                    lastRunMs = std::max<qint64>(1, line.section(u' ', 2).toLongLong());
                    finishedOne = true;
                }
            }
        }
        ASSERT_TRUE(finishedOne) << writer.readAllStandardError().toStdString();
        const int ms = int(random.bounded(quint32(lastRunMs * 3 / 2 + 1)));
        writer.waitForReadyRead(ms); // what it prints meanwhile ends the wait early: another random moment
        writer.kill();
        ASSERT_TRUE(writer.waitForFinished(30000));
        while (writer.canReadLine()) {
            const QString line = QString::fromUtf8(writer.readLine()).trimmed();
            ASSERT_FALSE(line.startsWith(QLatin1String("failed"))) << line.toStdString();
            made += line.startsWith(QLatin1String("made"));
        }

        temporariesLeft += int(temporaryNames(folder).size());
        for (const QString &name : finalNames(folder)) {
            if (checked.insert(name).second) {
                ASSERT_EQ(problemOf(folder + u'/' + name, ledger, kBatch), "") << name.toStdString();
            }
        }
    }

    // The next start clears what the killed runs left and makes a checked backup again.
    test::insertRow(ledger, "income", "2030-02-01", "After", "1", "the kills");
    test::insertRow(ledger, "expenses", "2030-02-01", "After", "1", "the kills");
    const Backup::Result next = Backup::run(ledger, QDateTime(QDate(2030, 2, 1), QTime(0, 0)));
    ASSERT_EQ(next.outcome, Outcome::Made) << next.reason.toStdString();
    EXPECT_EQ(temporaryNames(folder), QStringList{});
    expectSameRows(next.file, ledger);

    std::cout << kKills << " kills, " << made << " backups made between them, " << temporariesLeft
              << " temporary files found after a kill, " << checked.size() << " final files checked\n";
    RecordProperty("backupsMade", made);
    RecordProperty("temporariesLeftByKills", temporariesLeft);
}

TEST(Backup, madeWhileEntriesAreSavedChecksAndNoSaveWaitsInVain)
{
    test::TestEnvironment env;
    const QString ledger = ledgerPath(env.folder());
    test::makeLedger(ledger);
    addEntries(ledger, 60000);
    Connection saves; // the program's own connection, with its bounded wait for a busy file
    saves.openFile(ledger);

    Backup backup(ledger);
    backup.setClock([] { return kNow; });
    Backup::Result result;
    QObject::connect(&backup, &Backup::finished, [&](const Backup::Result &r) { result = r; });
    backup.start();
    int saved = 0;
    while (backup.isRunning() && saved < 5000) {
        // One entry in each table per transaction: every state of the ledger has as many
        // incomes as expenses. A save the copy keeps waiting too long throws.
        saves.Execute(QStringLiteral("BEGIN"));
        saves.Execute(QStringLiteral("INSERT INTO income (date, source, amount) VALUES ('2024-06-20', 'During', '%1')").arg(saved));
        saves.Execute(QStringLiteral("INSERT INTO expenses (date, category, amount) VALUES ('2024-06-20', 'During', '%1')").arg(saved));
        saves.Execute(QStringLiteral("COMMIT"));
        ++saved;
        QCoreApplication::processEvents();
    }
    ASSERT_TRUE(QTest::qWaitFor([&] { return !backup.isRunning(); }, 120000));
    ASSERT_EQ(result.outcome, Outcome::Made) << result.reason.toStdString();
    EXPECT_EQ(problemOf(result.file, ledger, 1), "");
    std::cout << saved << " saves while the backup ran\n";
}

TEST(Backup, destroyedWhileRunningStopsAndLeavesNoTemporaryFile)
{
    test::TestEnvironment env;
    const QString ledger = ledgerPath(env.folder());
    test::makeLedger(ledger);
    addEntries(ledger, 20000);
    {
        Backup backup(ledger);
        backup.start();
    }
    const QString folder = env.path(QStringLiteral("backups"));
    EXPECT_EQ(temporaryNames(folder), QStringList{});
    for (const QString &name : finalNames(folder))
        expectSameRows(folder + u'/' + name, ledger);
    EXPECT_TRUE(env.boxes().empty());
}

} // namespace
} // namespace tallymere
