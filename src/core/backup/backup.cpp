#include "core/backup/backup.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <system_error>
#include <utility>
#include <vector>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSaveFile>

#include <sqlite3.h>

#include "core/errors/error.h"
#include "core/platform/messagebox.h"

namespace tallymere {
namespace {

// A step of the copy holds a read lock on the ledger while it runs, and a save waits for it, so a
// step is kept short: 512 pages of 4 KiB are a few milliseconds' work.
constexpr int kPagesPerStep = 512;
// A read for the backup that finds a save holding the ledger waits in pauses this long, for a
// minute at most.
constexpr int kBusyPauseMs = 5;
constexpr int kBusyLimitMs = 60000;
// How often the copy may start again because the ledger changed under it; after that it is
// made whole under one read transaction.
constexpr int kRestarts = 3;
constexpr int kKeepNewest = 10;
constexpr int kKeepMonths = 12;
// Added to the name of a file that fails its check, which keeps it out of every count.
const QString kDamagedSuffix = QStringLiteral(".damaged");

/// Thrown inside a run once its stop is requested.
struct Stopped {};

struct CloseDb {
    void operator()(sqlite3 *db) const noexcept { sqlite3_close_v2(db); }
};
struct Finalize {
    void operator()(sqlite3_stmt *stmt) const noexcept { sqlite3_finalize(stmt); }
};
struct FinishBackup {
    void operator()(sqlite3_backup *backup) const noexcept { sqlite3_backup_finish(backup); }
};
using Db = std::unique_ptr<sqlite3, CloseDb>;
using Statement = std::unique_ptr<sqlite3_stmt, Finalize>;
using BackupHandle = std::unique_ptr<sqlite3_backup, FinishBackup>;

/// The rows of each table of a database, by table name in name order.
using RowCounts = std::vector<std::pair<QString, qint64>>;

const QRegularExpression &finalNamePattern()
{
    static const QRegularExpression pattern(QStringLiteral("^dbExpense-(\\d{8})-(\\d{6})\\.mdb$"));
    return pattern;
}

const QRegularExpression &temporaryNamePattern()
{
    static const QRegularExpression pattern(QStringLiteral("^\\.dbExpense-\\d{8}-\\d{6}-[0-9a-f]{8}\\.mdb\\.part$"));
    return pattern;
}

/// The local time in a backup's file name; invalid for any other name.
QDateTime backupTime(const QString &fileName)
{
    const QRegularExpressionMatch match = finalNamePattern().match(fileName);
    if (!match.hasMatch())
        return {};
    const QDate date = QDate::fromString(match.captured(1), QStringLiteral("yyyyMMdd"));
    const QTime time = QTime::fromString(match.captured(2), QStringLiteral("HHmmss"));
    return date.isValid() && time.isValid() ? QDateTime(date, time) : QDateTime();
}

QString systemMessage(int error)
{
    return QString::fromStdString(std::generic_category().message(error));
}

QByteArray encoded(const QString &path)
{
    return QFile::encodeName(path);
}

void stopIfRequested(const std::stop_token &stop)
{
    if (stop.stop_requested())
        throw Stopped();
}

int interruptOnStop(void *stop)
{
    return static_cast<const std::stop_token *>(stop)->stop_requested() ? 1 : 0;
}

// The engine's own busy timeout gives up for good on a connection that runs no statement between
// two tries, as the steps of a copy do; this handler keeps waiting, in short pauses, while saves
// come one after another, until the limit or a stop.
int waitWhileBusy(void *stop, int pausesSoFar)
{
    if (static_cast<const std::stop_token *>(stop)->stop_requested() || pausesSoFar >= kBusyLimitMs / kBusyPauseMs)
        return 0;
    sqlite3_sleep(kBusyPauseMs);
    return 1;
}

/// Opens a database file that must exist; a stop requested meanwhile interrupts its statements.
Db openDatabase(const QString &path, int flags, const std::stop_token &stop, const QString &failure)
{
    sqlite3 *db = nullptr;
    const int rc = sqlite3_open_v2(encoded(QFileInfo(path).absoluteFilePath()).constData(), &db,
                                   flags | SQLITE_OPEN_NOMUTEX, nullptr);
    Db owned(db);
    if (rc != SQLITE_OK)
        throw Error(failure.arg(db ? QString::fromUtf8(sqlite3_errmsg(db)) : QString::fromUtf8(sqlite3_errstr(rc))));
    void *stopToken = const_cast<std::stop_token *>(&stop);
    sqlite3_busy_handler(db, &waitWhileBusy, stopToken);
    sqlite3_progress_handler(db, 10000, &interruptOnStop, stopToken);
    return owned;
}

Statement prepare(sqlite3 *db, const QString &sql)
{
    sqlite3_stmt *stmt = nullptr;
    const QByteArray text = sql.toUtf8();
    if (sqlite3_prepare_v2(db, text.constData(), int(text.size()), &stmt, nullptr) != SQLITE_OK)
        throw Error(QString::fromUtf8(sqlite3_errmsg(db)));
    return Statement(stmt);
}

/// The first column of every row of a statement, as text.
QStringList firstColumn(sqlite3 *db, const QString &sql)
{
    const Statement stmt = prepare(db, sql);
    QStringList values;
    int rc;
    while ((rc = sqlite3_step(stmt.get())) == SQLITE_ROW)
        values << QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(stmt.get(), 0)));
    if (rc != SQLITE_DONE)
        throw Error(QString::fromUtf8(sqlite3_errmsg(db)));
    return values;
}

QString quotedName(const QString &name)
{
    return u'"' + QString(name).replace(u'"', QStringLiteral("\"\"")) + u'"';
}

QStringList tablesOf(sqlite3 *db)
{
    return firstColumn(db, QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table' ORDER BY name"));
}

RowCounts rowCounts(sqlite3 *db)
{
    RowCounts counts;
    for (const QString &table : tablesOf(db)) {
        const QString sql = QStringLiteral("SELECT count(*) FROM ") + quotedName(table);
        counts.emplace_back(table, firstColumn(db, sql).value(0).toLongLong());
    }
    return counts;
}

long long dataVersion(sqlite3 *db)
{
    return firstColumn(db, QStringLiteral("PRAGMA data_version")).value(0).toLongLong();
}

/// A read transaction on the ledger, from the first read inside it to the end of the scope.
class ReadTransaction
{
public:
    explicit ReadTransaction(sqlite3 *db) : m_db(db) { firstColumn(db, QStringLiteral("BEGIN")); }
    ~ReadTransaction() { sqlite3_exec(m_db, "COMMIT", nullptr, nullptr, nullptr); }
    ReadTransaction(const ReadTransaction &) = delete;
    ReadTransaction &operator=(const ReadTransaction &) = delete;

private:
    sqlite3 *m_db;
};

// "Differs from the newest backup" is decided by comparing the ledger file with the newest
// backup byte for byte, page by page. The engine's online backup copies pages as they are, so a
// ledger unchanged since its newest backup matches it exactly but for the few header fields the
// copy's own commit writes (change counter, page count, schema cookie, version stamps); same bytes
// mean the same entries, so only an exact match skips the backup. Anything else (a change, a
// ledger rewritten with the same entries, a backup that cannot be read) makes a new one, which
// is never wrong, only one more file. No note beside the backups can fall out of step with them,
// and reading two files is several times cheaper than comparing their rows value by value.
//
// The ledger is read through the engine's own file handle (a descriptor of our own would drop
// the process's locks on the file when closed), one slice of pages per short read transaction so
// that a save never waits for the whole comparison; the engine's data version, the same before
// the first slice and after the last, proves that no connection committed in between, so the
// slices are one state of the ledger.
bool sameBytes(const QByteArray &ledgerPages, const QByteArray &backupPages, bool firstPage)
{
    if (!firstPage)
        return ledgerPages == backupPages;
    // Header fields of page 1 that the copy's own commit writes: 24-31 change counter and page
    // count, 40-43 schema cookie, 92-99 version-valid-for and the engine's version.
    static constexpr std::pair<int, int> kRewritten[] = {{24, 32}, {40, 44}, {92, 100}};
    if (ledgerPages.size() != backupPages.size() || ledgerPages.size() < 100)
        return false;
    int from = 0;
    for (const auto &[begin, end] : kRewritten) {
        if (std::memcmp(ledgerPages.constData() + from, backupPages.constData() + from, std::size_t(begin - from)) != 0)
            return false;
        from = end;
    }
    return std::memcmp(ledgerPages.constData() + from, backupPages.constData() + from,
                       std::size_t(ledgerPages.size() - from)) == 0;
}

bool sameContent(sqlite3 *ledger, const QString &backupPath, const std::stop_token &stop)
{
    QFile backup(backupPath);
    sqlite3_file *file = nullptr;
    if (!backup.open(QIODevice::ReadOnly)
        || sqlite3_file_control(ledger, "main", SQLITE_FCNTL_FILE_POINTER, &file) != SQLITE_OK || !file
        || !file->pMethods) {
        return false;
    }
    try {
        const long long before = dataVersion(ledger);
        const int pageSize = firstColumn(ledger, QStringLiteral("PRAGMA page_size")).value(0).toInt();
        long long pages = -1;
        // The engine never uses the page that holds its lock byte (at 1 GiB); the copy leaves it
        // empty.
        const long long lockBytePage = pageSize > 0 ? 0x40000000LL / pageSize + 1 : 0;
        QByteArray mine;
        for (long long first = 1; pages < 0 || first <= pages; first += kPagesPerStep) {
            stopIfRequested(stop);
            {
                const ReadTransaction moment(ledger);
                // Reading the page count takes the read lock that the transaction keeps.
                const long long now = firstColumn(ledger, QStringLiteral("PRAGMA page_count")).value(0).toLongLong();
                if (pages < 0)
                    pages = now;
                if (now != pages || pageSize <= 0 || backup.size() != pages * pageSize)
                    return false;
                const long long count = std::min<long long>(kPagesPerStep, pages - first + 1);
                mine.resize(qsizetype(count * pageSize));
                if (file->pMethods->xRead(file, mine.data(), int(mine.size()), (first - 1) * pageSize) != SQLITE_OK)
                    return false;
                // A rollback journal leaves every commit in the file itself; with a write-ahead
                // log (bytes 18 and 19 of the header say 2) the file alone is not the ledger.
                if (first == 1 && (mine.at(18) == 2 || mine.at(19) == 2))
                    return false;
            }
            const QByteArray theirs = backup.read(mine.size());
            if (lockBytePage >= first && lockBytePage < first + kPagesPerStep) {
                const qsizetype at = qsizetype((lockBytePage - first) * pageSize);
                mine.replace(at, pageSize, theirs.mid(at, pageSize));
            }
            if (!sameBytes(mine, theirs, first == 1))
                return false;
        }
        return dataVersion(ledger) == before;
    } catch (const Error &) {
        stopIfRequested(stop);
        return false;
    }
}

/// One step of the engine's copy: SQLITE_OK or SQLITE_DONE; throws on any other outcome.
int step(sqlite3_backup *backup, int pages)
{
    const int rc = sqlite3_backup_step(backup, pages);
    if (rc != SQLITE_OK && rc != SQLITE_DONE)
        throw Error(QStringLiteral("Copying the ledger failed: %1.").arg(QString::fromUtf8(sqlite3_errstr(rc))));
    return rc;
}

BackupHandle startCopy(sqlite3 *copy, sqlite3 *ledger)
{
    BackupHandle backup(sqlite3_backup_init(copy, "main", ledger, "main"));
    if (!backup)
        throw Error(QStringLiteral("Copying the ledger failed: %1.").arg(QString::fromUtf8(sqlite3_errmsg(copy))));
    return backup;
}

// The copy is made in steps, each under its own short read lock of the ledger. A change that
// another connection commits between two steps makes the engine start the copy again, so what it
// finally holds is the ledger as it was at one moment: that of the last step. The last step runs
// inside a read transaction that first counts the rows of every table, so the counts the check
// compares with are the ledger's at exactly that moment. A ledger that keeps changing under the
// copy is copied whole inside that transaction at the last, so the copy always comes to an end.
RowCounts copyLedger(sqlite3 *ledger, const QString &target, const std::stop_token &stop)
{
    const Db copy = openDatabase(target, SQLITE_OPEN_READWRITE, stop, QStringLiteral("The copy cannot be opened: %1."));
    // The copy needs no journal: until it has been flushed, checked and renamed it is no one's
    // file, and a copy cut short is thrown away whole.
    sqlite3_exec(copy.get(), "PRAGMA journal_mode=OFF", nullptr, nullptr, nullptr);
    sqlite3_exec(copy.get(), "PRAGMA synchronous=OFF", nullptr, nullptr, nullptr);

    BackupHandle backup = startCopy(copy.get(), ledger);
    int restarts = 0;
    int rc = step(backup.get(), 0); // learns the ledger's size, copies nothing
    for (;;) {
        // Steps that never reach the end, so that none finishes the copy outside the read
        // transaction below.
        while (rc == SQLITE_OK && restarts <= kRestarts && sqlite3_backup_remaining(backup.get()) > kPagesPerStep) {
            stopIfRequested(stop);
            const int left = sqlite3_backup_remaining(backup.get());
            rc = step(backup.get(), kPagesPerStep);
            if (rc == SQLITE_OK && sqlite3_backup_remaining(backup.get()) >= left)
                ++restarts;
        }
        if (rc == SQLITE_DONE) {
            // The ledger shrank to less than a step meanwhile: copy it again, whole, below.
            backup.reset();
            backup = startCopy(copy.get(), ledger);
            restarts = kRestarts + 1;
        }
        stopIfRequested(stop);
        const ReadTransaction moment(ledger);
        const RowCounts counts = rowCounts(ledger);
        rc = step(backup.get(), 0);
        // A change committed since the last step started the copy again: with much to copy,
        // let go of the ledger and go back to short steps.
        if (rc == SQLITE_OK && restarts <= kRestarts && sqlite3_backup_remaining(backup.get()) > 2 * kPagesPerStep) {
            ++restarts;
            continue;
        }
        if (rc == SQLITE_OK)
            rc = step(backup.get(), -1);
        if (rc != SQLITE_DONE)
            throw Error(QStringLiteral("Copying the ledger did not come to its end."));
        return counts;
    }
}

/// What keeps a copy from matching the ledger's row counts; empty when nothing does.
QString countsProblem(const RowCounts &copy, const RowCounts &ledger)
{
    for (const auto &[table, rows] : ledger) {
        const auto found = std::find_if(copy.begin(), copy.end(), [&](const auto &c) { return c.first == table; });
        if (found == copy.end())
            return QStringLiteral("table %1 is missing").arg(table);
        if (found->second != rows)
            return QStringLiteral("table %1 has %2 rows in the copy and %3 in the ledger").arg(table).arg(found->second).arg(rows);
    }
    return copy.size() == ledger.size() ? QString() : QStringLiteral("it holds a table the ledger does not");
}

/// The engine's integrity check gives exactly "ok", and every table has the rows counted in the
/// ledger at the moment of the copy.
void checkCopy(const QString &path, const RowCounts &ledgerCounts, const std::stop_token &stop)
{
    QString problem;
    try {
        const Db copy = openDatabase(path, SQLITE_OPEN_READONLY, stop, QStringLiteral("%1"));
        const QStringList integrity = firstColumn(copy.get(), QStringLiteral("PRAGMA integrity_check"));
        if (integrity != QStringList{QStringLiteral("ok")})
            problem = integrity.join(u'\n');
        else
            problem = countsProblem(rowCounts(copy.get()), ledgerCounts);
    } catch (const Error &error) {
        stopIfRequested(stop);
        problem = error.description();
    }
    // The engine's report of a damaged file runs to a line per page; the start of it says enough.
    if (!problem.isEmpty())
        throw Error(QStringLiteral("The copy did not pass its check: %1.")
                        .arg(problem.section(u'\n', 0, 2).replace(u'\n', QStringLiteral("; "))));
}

/// Flushes a folder's entries (a new name in it) to the disk.
bool syncFolder(const QString &folder)
{
    const int fd = ::open(encoded(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool synced = ::fsync(fd) == 0;
    ::close(fd);
    return synced;
}

void makeFolder(const QString &folder)
{
    if (::mkdir(encoded(folder).constData(), 0777) == 0) {
        syncFolder(QFileInfo(folder).absolutePath());
        return;
    }
    const int error = errno;
    if (error == EEXIST && QFileInfo(folder).isDir())
        return;
    throw Error(QStringLiteral("The folder cannot be created: %1.")
                    .arg(error == EEXIST ? QStringLiteral("a file of that name is in the way") : systemMessage(error)));
}

/// Removes the temporary files that earlier runs left when they were killed. A run under way
/// holds its own file locked (the lock goes with the process), so it is left alone.
void removeStaleTemporaries(const QString &folder)
{
    const QStringList names = QDir(folder).entryList({QStringLiteral(".dbExpense-*.part")},
                                                     QDir::Files | QDir::Hidden | QDir::System);
    for (const QString &name : names) {
        if (!temporaryNamePattern().match(name).hasMatch())
            continue;
        const QByteArray path = encoded(folder + u'/' + name);
        const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
        if (fd < 0)
            continue;
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0)
            ::unlink(path.constData());
        ::close(fd);
    }
}

/// The regular files in the folder that are named as backups are.
QStringList backupNames(const QString &folder)
{
    QStringList names = QDir(folder).entryList(QDir::Files | QDir::NoSymLinks);
    names.erase(std::remove_if(names.begin(), names.end(), [](const QString &n) { return !backupTime(n).isValid(); }),
                names.end());
    // Oldest first: the fixed-width digits of the names sort as their times do.
    std::sort(names.begin(), names.end());
    return names;
}

/// The size and modification time of a file, which change whenever its content does.
struct Stamp {
    qint64 size = -1;
    qint64 seconds = 0;
    qint64 nanoseconds = 0;
    bool operator==(const Stamp &) const = default;
};
using Stamps = std::map<QString, Stamp>;

std::optional<Stamp> stampOf(const QString &path)
{
    struct stat info;
    if (::lstat(encoded(path).constData(), &info) != 0 || !S_ISREG(info.st_mode))
        return std::nullopt;
    return Stamp{qint64(info.st_size), qint64(info.st_mtim.tv_sec), qint64(info.st_mtim.tv_nsec)};
}

/// The backups that passed their check in earlier runs, by name, as they were then.
Stamps readCheckedNote(const QString &folder)
{
    // Each file is checked once, and again only when it has changed since.
    QFile note(folder + u'/' + QLatin1String(kCheckedBackupsNote));
    Stamps stamps;
    if (!note.open(QIODevice::ReadOnly | QIODevice::Text))
        return stamps;
    while (!note.atEnd()) {
        const QStringList fields = QString::fromUtf8(note.readLine()).trimmed().split(u' ');
        bool ok[3] = {};
        if (fields.size() != 4 || !backupTime(fields[0]).isValid())
            continue;
        const Stamp stamp{fields[1].toLongLong(&ok[0]), fields[2].toLongLong(&ok[1]), fields[3].toLongLong(&ok[2])};
        if (ok[0] && ok[1] && ok[2])
            stamps[fields[0]] = stamp;
    }
    return stamps;
}

/// Replaces the note as a whole; without it every backup is only checked again.
void writeCheckedNote(const QString &folder, const Stamps &stamps)
{
    QSaveFile note(folder + u'/' + QLatin1String(kCheckedBackupsNote));
    if (!note.open(QIODevice::WriteOnly | QIODevice::Text))
        return;
    for (const auto &[name, stamp] : stamps)
        note.write(QStringLiteral("%1 %2 %3 %4\n").arg(name).arg(stamp.size).arg(stamp.seconds).arg(stamp.nanoseconds).toUtf8());
    note.commit();
}

enum class Verdict { Good, Damaged, Unknown };

/// The engine's quick check of one backup. A file some other program holds locked is not judged.
Verdict quickCheck(const QString &path, const std::stop_token &stop)
{
    // An empty file opens as an empty database and passes the engine's check, yet holds nothing.
    if (QFileInfo(path).size() == 0)
        return Verdict::Damaged;
    Db db;
    try {
        db = openDatabase(path, SQLITE_OPEN_READONLY, stop, QStringLiteral("%1"));
        return firstColumn(db.get(), QStringLiteral("PRAGMA quick_check")) == QStringList{QStringLiteral("ok")}
            ? Verdict::Good
            : Verdict::Damaged;
    } catch (const Error &) {
        stopIfRequested(stop);
        const int code = db ? sqlite3_errcode(db.get()) & 0xff : SQLITE_ERROR;
        return code == SQLITE_BUSY || code == SQLITE_LOCKED ? Verdict::Unknown : Verdict::Damaged;
    }
}

/// Renames a damaged backup so that it is no backup any more, and says how the message names it.
QString setAside(const QString &folder, const QString &name)
{
    const QString damaged = name + kDamagedSuffix;
    const QByteArray to = encoded(folder + u'/' + damaged);
    struct stat existing;
    QString problem;
    if (::lstat(to.constData(), &existing) == 0)
        problem = QStringLiteral("a file of that name is in the way");
    else if (::rename(encoded(folder + u'/' + name).constData(), to.constData()) != 0)
        problem = systemMessage(errno);
    if (problem.isEmpty())
        return damaged;
    return QStringLiteral("%1 (it could not be renamed to %2: %3)").arg(name, damaged, problem);
}

/// The backups of a folder after their checks.
struct CheckedBackups {
    QStringList good; // oldest first
    Stamps stamps;    // of the good ones, as they were checked
    QStringList damaged; // as the message names them
};

// Every file named as a backup is checked before anything counts it: a damaged one is never the
// copy a run compares the ledger with, never among those kept, and so never the reason a good one
// is pruned. A file that cannot be judged now stays as it is and counts for nothing this time.
CheckedBackups checkBackups(const QString &folder, const std::stop_token &stop)
{
    const Stamps remembered = readCheckedNote(folder);
    CheckedBackups checked;
    for (const QString &name : backupNames(folder)) {
        stopIfRequested(stop);
        const QString path = folder + u'/' + name;
        const std::optional<Stamp> stamp = stampOf(path);
        if (!stamp)
            continue;
        const auto known = remembered.find(name);
        Verdict verdict = known != remembered.end() && known->second == *stamp ? Verdict::Good : quickCheck(path, stop);
        if (verdict == Verdict::Good && stampOf(path) != stamp)
            verdict = Verdict::Unknown; // written to while it was checked
        if (verdict == Verdict::Good) {
            checked.good << name;
            checked.stamps[name] = *stamp;
        } else if (verdict == Verdict::Damaged) {
            checked.damaged << setAside(folder, name);
        }
    }
    if (checked.stamps != remembered)
        writeCheckedNote(folder, checked.stamps);
    return checked;
}

/// The newest of the backups (oldest first) not named later than `now`; empty when there is none.
QString newestUpTo(const QStringList &oldestFirst, const QDateTime &now)
{
    for (auto name = oldestFirst.rbegin(); name != oldestFirst.rend(); ++name) {
        if (backupTime(*name) <= now)
            return *name;
    }
    return {};
}

/// The copy while it is made: a file of a new name of its own in the backups folder, locked
/// against the cleanup of stale files by another run, and removed unless it is published.
class TemporaryCopy
{
public:
    TemporaryCopy(const QString &folder, const QDateTime &now, mode_t mode) : m_folder(folder)
    {
        const QString stem = QStringLiteral("/.dbExpense-") + now.toString(QStringLiteral("yyyyMMdd-HHmmss"));
        for (int attempt = 0; attempt < 16 && m_fd < 0; ++attempt) {
            m_path = m_folder + stem
                + QStringLiteral("-%1.mdb.part").arg(QRandomGenerator::system()->generate(), 8, 16, QLatin1Char('0'));
            m_fd = ::open(encoded(m_path).constData(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, mode);
            const int error = errno;
            if (m_fd < 0 && error != EEXIST)
                throw Error(QStringLiteral("No file can be made in it: %1.").arg(systemMessage(error)));
        }
        if (m_fd < 0)
            throw Error(QStringLiteral("No file can be made in it: %1.").arg(systemMessage(EEXIST)));
        ::flock(m_fd, LOCK_EX | LOCK_NB);
    }

    // Every connection to the file is closed before this runs: closing this descriptor ends the
    // process's locks on the file, the engine's included.
    ~TemporaryCopy()
    {
        if (!m_published)
            ::unlink(encoded(m_path).constData());
        ::close(m_fd);
    }

    TemporaryCopy(const TemporaryCopy &) = delete;
    TemporaryCopy &operator=(const TemporaryCopy &) = delete;

    const QString &path() const noexcept { return m_path; }

    void flush()
    {
        if (::fsync(m_fd) != 0) {
            const int error = errno;
            throw Error(QStringLiteral("The copy cannot be written to the disk: %1.").arg(systemMessage(error)));
        }
    }

    /// Renames the checked copy to a backup's name for `now` that no file has yet (a second
    /// later for each one taken), and returns its path.
    QString publish(const QDateTime &now)
    {
        for (int later = 0; later < 60; ++later) {
            const QString name = m_folder + u'/' + Backup::fileNameFor(now.addSecs(later));
            struct stat existing;
            if (::lstat(encoded(name).constData(), &existing) == 0)
                continue; // (a run that takes the name meanwhile puts an equally checked copy there)
            // A rename within one folder is atomic: the name shows either nothing or the whole
            // checked copy, whenever the process or the machine stops.
            if (::rename(encoded(m_path).constData(), encoded(name).constData()) != 0) {
                const int error = errno;
                throw Error(QStringLiteral("The copy cannot be given its name: %1.").arg(systemMessage(error)));
            }
            m_published = true;
            // The copy is whole under its name from here; the flush of the folder only makes the
            // rename itself survive a power cut, and its failure leaves nothing to undo.
            syncFolder(m_folder);
            return name;
        }
        throw Error(QStringLiteral("The copy cannot be given its name: every name for this minute is taken."));
    }

private:
    QString m_folder;
    QString m_path;
    int m_fd = -1;
    bool m_published = false;
};

/// Removes what the pruning lists of the good backups, the one just made among them.
void prune(const QString &folder, const QDateTime &now, CheckedBackups &checked, const QString &justMade)
{
    checked.good << justMade;
    if (const std::optional<Stamp> stamp = stampOf(folder + u'/' + justMade))
        checked.stamps[justMade] = *stamp;
    for (const QString &name : Backup::toPrune(checked.good, now, justMade)) {
        QFile::remove(folder + u'/' + name);
        checked.stamps.erase(name);
    }
    writeCheckedNote(folder, checked.stamps);
}

} // namespace

Backup::Backup(const QString &ledgerPath, QObject *parent) : QObject(parent), m_ledgerPath(ledgerPath) {}

Backup::~Backup()
{
    // The run's report may still be posted to this object while it waits; Qt drops it with the
    // object.
    m_worker.request_stop();
    if (m_worker.joinable())
        m_worker.join();
}

void Backup::setClock(Clock clock)
{
    m_clock = std::move(clock);
}

void Backup::start()
{
    if (m_running)
        return;
    m_running = true;
    const QString ledger = m_ledgerPath;
    const QDateTime now = m_clock ? m_clock() : QDateTime::currentDateTime();
    try {
        m_worker = std::jthread([this, ledger, now](std::stop_token stop) {
            const Result result = run(ledger, now, stop);
            QMetaObject::invokeMethod(this, [this, result] { report(result); }, Qt::QueuedConnection);
        });
    } catch (const std::system_error &error) {
        report({Result::Outcome::Failed, {}, QStringLiteral("No thread can be started for it: %1.").arg(QString::fromUtf8(error.what())), {}});
    }
}

void Backup::report(const Result &result)
{
    m_running = false;
    if (!result.damaged.isEmpty()) {
        platform::msgBox(damagedText(folderFor(m_ledgerPath), result.damaged),
                         platform::MessageStyle::OkOnly | platform::MessageStyle::Exclamation);
    }
    if (result.outcome == Result::Outcome::Failed) {
        platform::msgBox(failureText(folderFor(m_ledgerPath), result.reason),
                         platform::MessageStyle::OkOnly | platform::MessageStyle::Exclamation);
    }
    emit finished(result);
}

Backup::Result Backup::run(const QString &ledgerPath, const QDateTime &now, std::stop_token stop)
{
    const QString folder = folderFor(ledgerPath);
    CheckedBackups checked;
    try {
        makeFolder(folder);
        removeStaleTemporaries(folder);
        stopIfRequested(stop);
        const Db ledger = openDatabase(ledgerPath, SQLITE_OPEN_READONLY, stop, QStringLiteral("The ledger cannot be read: %1."));
        checked = checkBackups(folder, stop);
        // A backup named later than now (a clock that was wrong once) says nothing about the
        // last state of the ledger.
        const QString newest = newestUpTo(checked.good, now);
        if (!newest.isEmpty() && sameContent(ledger.get(), folder + u'/' + newest, stop))
            return {Result::Outcome::Unchanged, {}, {}, checked.damaged};
        stopIfRequested(stop);

        // The copy keeps the ledger's permissions, but is always the owner's to write and check:
        // a read-only ledger is backed up all the same.
        struct stat ledgerStat;
        const mode_t mode = ::stat(encoded(ledgerPath).constData(), &ledgerStat) == 0 ? ledgerStat.st_mode & 0666 : 0600;
        TemporaryCopy copy(folder, now, mode | S_IRUSR | S_IWUSR);
        const RowCounts counts = copyLedger(ledger.get(), copy.path(), stop);
        copy.flush();
        checkCopy(copy.path(), counts, stop);
        stopIfRequested(stop);
        const QString made = copy.publish(now);
        prune(folder, now, checked, QFileInfo(made).fileName());
        return {Result::Outcome::Made, made, {}, checked.damaged};
    } catch (const Stopped &) {
        return {Result::Outcome::Stopped, {}, {}, checked.damaged};
    } catch (const Error &error) {
        if (stop.stop_requested())
            return {Result::Outcome::Stopped, {}, {}, checked.damaged};
        return {Result::Outcome::Failed, {}, error.description(), checked.damaged};
    } catch (const std::exception &error) {
        return {Result::Outcome::Failed, {}, QString::fromLocal8Bit(error.what()) + u'.', checked.damaged};
    }
}

QString Backup::folderFor(const QString &ledgerPath)
{
    return QFileInfo(ledgerPath).absolutePath() + QStringLiteral("/backups");
}

QString Backup::fileNameFor(const QDateTime &time)
{
    return QStringLiteral("dbExpense-") + time.toString(QStringLiteral("yyyyMMdd-HHmmss")) + QStringLiteral(".mdb");
}

QStringList Backup::toPrune(const QStringList &fileNames, const QDateTime &now, const QString &justMade)
{
    struct Named {
        QString name;
        QDateTime time;
        int month; // months since year 0
    };
    std::vector<Named> backups;
    for (const QString &name : fileNames) {
        if (const QDateTime time = backupTime(name); time.isValid())
            backups.push_back({name, time, time.date().year() * 12 + time.date().month() - 1});
    }
    // Newest first: the fixed-width digits of the names sort as their times do.
    std::sort(backups.begin(), backups.end(), [](const Named &a, const Named &b) { return a.name > b.name; });

    const int thisMonth = now.date().year() * 12 + now.date().month() - 1;
    std::set<int> monthsKept;
    int newest = 0;
    QStringList prune;
    for (const Named &backup : backups) {
        // Named later than now: kept, but it takes no place of a backup of the last states. (The
        // one just made may bear a name a few seconds on when the names before were taken.)
        if (backup.time > now && backup.name != justMade)
            continue;
        const bool newestOfRecentMonth = backup.month <= thisMonth && backup.month > thisMonth - kKeepMonths
            && monthsKept.insert(backup.month).second;
        if (newest++ < kKeepNewest || newestOfRecentMonth || backup.name == justMade)
            continue;
        prune << backup.name;
    }
    return prune;
}

QString Backup::damagedText(const QString &folder, const QStringList &damaged)
{
    if (damaged.size() == 1) {
        return QStringLiteral("A backup in the folder %1 did not pass its check. It no longer counts among the "
                              "backups kept and is left in place as:\r\n%2")
            .arg(folder, damaged.first());
    }
    return QStringLiteral("%1 backups in the folder %2 did not pass their check. They no longer count among the "
                          "backups kept and are left in place as:\r\n%3")
        .arg(QString::number(damaged.size()), folder, damaged.join(QStringLiteral("\r\n")));
}

QString Backup::failureText(const QString &folder, const QString &reason)
{
    return QStringLiteral("The ledger could not be backed up into the folder %1.\r\n%2\r\n"
                          "The ledger itself is unchanged; the next start tries again.")
        .arg(folder, reason);
}

} // namespace tallymere
