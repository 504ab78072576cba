#include <iostream>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include "core/db/ledgerschema.h"
#include "support/ledgerfile.h"

namespace tallymere {
namespace {

// A kill ends the process, not the machine: what the process had handed to the system reaches
// the file. So this proves what the rollback journal does (with the journal off, or kept in
// memory, this test fails at once: half-made commits corrupt the file), not what the flushes of
// synchronous=EXTRA do against a power cut, which no test here can cause.

/// The kills made on one ledger, and the seed that places them.
constexpr int kKills = 150;
constexpr quint32 kSeed = 20210831;

/// A row of the ledger by table and sr_no, and its four values.
using RowKey = std::pair<std::string, std::string>;
using Values = std::vector<std::string>;
using LedgerRows = std::map<RowKey, Values>;

/// One save the writer announced before clicking Save, and its sr_no once it had returned.
struct Save {
    long long n = 0;
    bool update = false;
    std::string table;
    std::string id;
    Values values;
    std::optional<std::string> saved;
};

LedgerRows rowsOf(const QString &ledger)
{
    LedgerRows rows;
    for (const std::string table : {"income", "expenses"}) {
        for (const test::Row &row : test::readRows(ledger, table))
            rows[{table, row.at(0)}] = Values(row.begin() + 1, row.end());
    }
    return rows;
}

/// The differences between what the file holds and what it must hold, short enough to print
/// (particulars run to thousands of characters).
std::string differences(const LedgerRows &actual, const LedgerRows &expected)
{
    std::string text;
    for (const auto &[key, values] : expected) {
        const auto found = actual.find(key);
        if (found == actual.end())
            text += "missing " + key.first + " " + key.second + "\n";
        else if (found->second != values)
            text += "changed " + key.first + " " + key.second + " (" + found->second.at(1).substr(0, 40) + ")\n";
    }
    for (const auto &[key, values] : actual) {
        if (!expected.count(key))
            text += "unexpected " + key.first + " " + key.second + " (" + values.at(1).substr(0, 40) + ")\n";
    }
    return text;
}

/// One run of the writer, read line by line until the test kills it.
class Writer
{
public:
    /// killAt > 0: the writer kills itself just before the engine's killAt-th change of a file.
    Writer(const QString &folder, long long first, int killAt)
    {
        QStringList args{folder, QString::number(first)};
        if (killAt > 0)
            args << QStringLiteral("-1") << QString::number(killAt);
        m_process.start(QStringLiteral(TALLYMERE_CRASHWRITER), args);
    }

    ~Writer()
    {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();
            m_process.waitForFinished(10000);
        }
    }

    /// Reads until `count` lines of the kind `key` have come (0: until the window is loaded).
    /// False when the writer ended or said nothing for 30 seconds.
    bool waitFor(const QString &key, int count)
    {
        int seen = 0;
        for (;;) {
            while (m_process.canReadLine()) {
                const QJsonObject line = take();
                if (line.contains(key) && ++seen >= count)
                    return true;
            }
            if (!m_process.waitForReadyRead(30000))
                return false;
        }
    }

    /// Lets the writer run on for at most `ms` milliseconds: what it prints meanwhile ends the
    /// wait early, which only moves the kill to another random moment.
    void runOn(int ms)
    {
        if (ms > 0)
            m_process.waitForReadyRead(ms);
    }

    /// Kills the writer with SIGKILL, unless it is dead already, and reads what it had printed.
    /// False when it did not die by a kill (it ended, or failed, by itself).
    bool kill()
    {
        if (m_process.state() != QProcess::NotRunning)
            m_process.kill();
        m_process.waitForFinished(30000);
        while (m_process.canReadLine())
            take();
        return m_process.exitStatus() == QProcess::CrashExit && m_failure.isEmpty();
    }

    /// Waits for the writer to kill itself.
    bool waitForDeath() { return m_process.waitForFinished(30000); }

    const std::vector<Save> &saves() const { return m_saves; }
    const QString &failure() const { return m_failure; }
    QByteArray errors() { return m_process.readAllStandardError(); }

private:
    QJsonObject take()
    {
        const QJsonObject line = QJsonDocument::fromJson(m_process.readLine()).object();
        if (line.contains(QLatin1String("failed")))
            m_failure = line.value(QLatin1String("failed")).toString();
        if (line.contains(QLatin1String("op"))) {
            Save save;
            save.n = line.value(QLatin1String("n")).toInteger();
            save.update = line.value(QLatin1String("op")).toString() == QLatin1String("update");
            save.table = line.value(QLatin1String("table")).toString().toStdString();
            save.id = line.value(QLatin1String("id")).toString().toStdString();
            for (const QJsonValue &value : line.value(QLatin1String("values")).toArray())
                save.values.push_back(value.toString().toStdString());
            m_saves.push_back(std::move(save));
        } else if (line.contains(QLatin1String("saved")) && !m_saves.empty()
                   && m_saves.back().n == line.value(QLatin1String("n")).toInteger()) {
            m_saves.back().saved = line.value(QLatin1String("saved")).toString().toStdString();
        }
        return line;
    }

    QProcess m_process;
    std::vector<Save> m_saves;
    QString m_failure;
};

TEST(CrashSafety, everyReturnedSaveSurvivesSigkillWholeAndNoRowIsHalfWritten)
{
    QTemporaryDir folder;
    const QString ledger = ledgerPath(folder.path());
    test::makeLedger(ledger);

    QRandomGenerator random(kSeed);
    LedgerRows expected;
    long long next = 1;
    int returned = 0;
    int inFlightKept = 0;
    int inFlightGone = 0;
    int hotJournals = 0;
    int killsFromOutside = 0;
    QElapsedTimer elapsed;
    elapsed.start();

    for (int kill = 1; kill <= kKills; ++kill) {
        SCOPED_TRACE("kill " + std::to_string(kill));
        {
            // Half the kills come from here at a random moment: during start-up, or after the
            // k-th save was announced or had returned, plus up to 15 ms more. The other half
            // the writer makes itself just before a random one of the engine's file changes,
            // between the single writes of a commit.
            const bool fromOutside = random.bounded(0, 2) == 0;
            const int k = int(random.bounded(0, 5));
            const bool afterReturn = random.bounded(0, 4) == 0;
            const int ms = int(random.bounded(0, 16));
            const int killAt = fromOutside ? 0 : int(random.bounded(1, 60));
            Writer writer(folder.path(), next, killAt);
            if (fromOutside) {
                ++killsFromOutside;
                if (k > 0) {
                    ASSERT_TRUE(writer.waitFor(afterReturn ? QStringLiteral("saved") : QStringLiteral("op"), k))
                        << writer.failure().toStdString() << writer.errors().toStdString();
                }
                writer.runOn(ms);
            } else {
                ASSERT_TRUE(writer.waitForDeath());
            }
            ASSERT_TRUE(writer.kill()) << "the writer ended by itself: " << writer.failure().toStdString()
                                       << writer.errors().toStdString();

            // The killed writer may have left a journal behind: the write it was making.
            if (QFileInfo(ledger + QStringLiteral("-journal")).size() > 0)
                ++hotJournals;

            ASSERT_EQ(test::integrityCheck(ledger), "ok");
            const LedgerRows actual = rowsOf(ledger);

            for (const Save &save : writer.saves()) {
                if (save.saved) {
                    ++returned;
                    const RowKey key{save.table, *save.saved};
                    ASSERT_TRUE(save.update || !expected.count(key)) << "a new entry took the number of a kept one";
                    expected[key] = save.values;
                    next = save.n + 1;
                    continue;
                }
                // The save that was under way: either wholly there or not at all.
                next = save.n + 1;
                if (save.update) {
                    const RowKey key{save.table, save.id};
                    ASSERT_TRUE(actual.count(key));
                    if (actual.at(key) == save.values) {
                        expected[key] = save.values;
                        ++inFlightKept;
                    } else {
                        ++inFlightGone;
                    }
                } else {
                    std::optional<RowKey> added;
                    for (const auto &[key, values] : actual) {
                        if (key.first == save.table && !expected.count(key) && values == save.values)
                            added = key;
                    }
                    if (added) {
                        expected[*added] = save.values;
                        ++inFlightKept;
                    } else {
                        ++inFlightGone;
                    }
                }
            }
            ASSERT_EQ(differences(actual, expected), "");
        }
    }

    const auto seconds = elapsed.elapsed() / 1000.0;
    std::cout << kKills << " kills (" << killsFromOutside << " timed from outside, " << kKills - killsFromOutside
              << " at a file change), " << returned << " saves returned and kept, " << inFlightKept
              << " saves under way kept whole, " << inFlightGone << " gone whole, " << hotJournals
              << " kills inside a write (journal left behind), " << expected.size() << " rows, " << seconds
              << " s\n";
    RecordProperty("kills", kKills);
    RecordProperty("savesReturned", returned);
    RecordProperty("killsInsideAWrite", hotJournals);
    EXPECT_GT(returned, kKills) << "too few saves returned between the kills to prove anything";
}

} // namespace
} // namespace tallymere
