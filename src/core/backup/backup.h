#pragma once

#include <functional>
#include <stop_token>
#include <thread>

#include <QDateTime>
#include <QObject>
#include <QString>
#include <QStringList>

namespace tallymere {

/// The hidden note in the backups folder of the backups that passed their check, with the size and
/// modification time each had then.
inline constexpr char kCheckedBackupsNote[] = ".checked";

/// Checked copies of the ledger in the folder `backups` beside it, made on a thread of their own.
///
/// One run: when the ledger differs from the newest backup (or there is none), the engine's
/// online backup copies the ledger through a read-only connection of its own into a temporary
/// file in that folder; the copy is flushed to disk, checked (the engine's integrity check gives
/// exactly "ok", and every table has as many rows as the ledger's had at the moment of the copy)
/// and only then renamed to `dbExpense-YYYYMMDD-HHMMSS.mdb`. Older backups are pruned after that.
/// A failure leaves nothing under a final name and is shown in one message box. The ledger is
/// only ever read, in steps of a few milliseconds (a ledger that keeps changing under the copy is
/// read whole at the last, so that the copy comes to an end).
///
/// Before anything counts the backups, each file named as one passes the engine's quick check,
/// once (a note beside them keeps the size and time of each file that passed). One that fails is
/// renamed to end in ".damaged", left in place and named in one message box; it is never the
/// copy the ledger is compared with and never among the backups kept. A backup named later than
/// now is neither of these either, and is kept.
class Backup : public QObject
{
    Q_OBJECT

public:
    /// What one run did.
    struct Result {
        enum class Outcome { Made, Unchanged, Failed, Stopped };
        Outcome outcome = Outcome::Failed;
        QString file;   // Made: the new backup's path
        QString reason; // Failed: what went wrong, as a sentence
        QStringList damaged; // backups that failed their check, as the message names them
    };
    using Clock = std::function<QDateTime()>;

    explicit Backup(const QString &ledgerPath, QObject *parent = nullptr);
    /// Stops a run under way and waits for it, which takes at most one step of the engine.
    ~Backup() override;

    /// The clock that names a new backup and dates the pruning; local time unless set.
    void setClock(Clock clock);

    /// Starts one run on its own thread and returns at once; does nothing while a run is under
    /// way. The result comes back on this object's thread: a failure's message box, then
    /// finished().
    void start();
    bool isRunning() const noexcept { return m_running; }

    /// One whole run on the calling thread: `now` names the backup and dates the pruning. Once
    /// `stop` is requested it ends as soon as it can (Stopped), leaving no file of its own behind.
    static Result run(const QString &ledgerPath, const QDateTime &now, std::stop_token stop = {});

    /// The folder `backups` beside the ledger.
    static QString folderFor(const QString &ledgerPath);
    /// `dbExpense-YYYYMMDD-HHMMSS.mdb`, in the time given.
    static QString fileNameFor(const QDateTime &time);
    /// Of the names of good backups, those the pruning removes. It keeps the ten newest backups
    /// not named later than `now`, the newest of each calendar month of the twelve that end with
    /// the month of `now`, `justMade` whatever its date, and every backup named later than `now`
    /// (counted in none of these); a name that is not a backup's is never listed.
    static QStringList toPrune(const QStringList &fileNames, const QDateTime &now, const QString &justMade = {});
    /// The text of the message box that names the backups set aside as damaged.
    static QString damagedText(const QString &folder, const QStringList &damaged);
    /// The text of the message box that reports a failed run.
    static QString failureText(const QString &folder, const QString &reason);

signals:
    void finished(const tallymere::Backup::Result &result);

private:
    void report(const Result &result);

    QString m_ledgerPath;
    Clock m_clock;
    bool m_running = false;
    std::jthread m_worker;
};

} // namespace tallymere
