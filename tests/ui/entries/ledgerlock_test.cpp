#include "support/entryfixture.h"

#include <QElapsedTimer>
#include <QProcess>

#include "ui/controls/pushbutton.h"

namespace tallymere {
namespace {

using test::EntryTest;

const QString kSaveLocation = QStringLiteral("in Coinfold2021/08/31.Form2.PushButton1_Click ");
const QString kListIncomeLocation = QStringLiteral("in Coinfold2021/08/31.modExpense.listIncome ");

/// The sqlite3 command-line client in another process, in the middle of a write transaction on
/// the ledger: it has added an expense of its own and not yet committed it.
class Holder
{
public:
    Holder(const QString &ledger, const char *begin)
    {
        m_client.start(QStringLiteral("sqlite3"), {ledger});
        m_client.write(QByteArray(begin) + ";\n"
                       "insert into expenses (date, category, amount, particulars) "
                       "values ('2021-01-02', 'Holder', '5', 'from the other process');\n"
                       "select 'held';\n");
    }

    ~Holder()
    {
        if (m_client.state() != QProcess::NotRunning) {
            m_client.kill();
            m_client.waitForFinished(10000);
        }
    }

    /// True once the client holds its lock (it has answered the select).
    bool holding()
    {
        while (!m_output.contains("held")) {
            if (!m_client.waitForReadyRead(10000))
                return false;
            m_output += m_client.readAllStandardOutput();
        }
        return true;
    }

    /// Commits the client's insert and ends the client.
    bool commitAndQuit()
    {
        m_client.write("commit;\n.quit\n");
        m_client.closeWriteChannel();
        return m_client.waitForFinished(10000) && m_client.exitCode() == 0
            && m_client.readAllStandardError().isEmpty();
    }

    QString why() { return QString::fromLocal8Bit(m_client.readAllStandardError()) + m_client.errorString(); }

private:
    QProcess m_client;
    QByteArray m_output;
};

struct LockCase {
    const char *begin;
    /// The reports of one save while the lock is held, by location and line, in order.
    std::vector<std::pair<QString, int>> reports;
};

void PrintTo(const LockCase &c, std::ostream *os)
{
    *os << c.begin;
}

class LedgerLock : public EntryTest, public ::testing::WithParamInterface<LockCase>
{
};

TEST_P(LedgerLock, saveWaitsBrieflyReportsTheEngineKeepsTheTypedEntryAndSucceedsAfterwards)
{
    const LockCase &c = GetParam();
    test::insertRow(ledger, "income", "2021-12-01", "Salary", "1500", "November");
    const test::Rows incomeBefore = test::readRows(ledger, "income");
    Form1 &w = start();
    w.PushButton1_Click();
    Form2 &e = editor();
    const QStringList typed{QStringLiteral("12/5/2021"), QStringLiteral("Bonus"), QStringLiteral("250.75"),
                            QStringLiteral("Year's end")};
    type(typed[0], typed[1], typed[2], typed[3]);

    Holder holder(ledger, c.begin);
    ASSERT_TRUE(holder.holding()) << holder.why().toStdString();

    QElapsedTimer waited;
    waited.start();
    e.ui().PushButton1->click();
    const qint64 ms = waited.elapsed();

    // Each statement that met the lock waited about two seconds, and no longer, then failed.
    const auto blocked = qint64(c.reports.size());
    EXPECT_GE(ms, 1500 * blocked);
    EXPECT_LT(ms, 2000 * blocked + 5000);
    ASSERT_EQ(env.boxes().size(), c.reports.size());
    for (std::size_t i = 0; i < c.reports.size(); ++i) {
        const auto &[location, line] = c.reports[i];
        EXPECT_EQ(env.boxes()[i].caption, QStringLiteral("Application Error"));
        EXPECT_TRUE(env.boxes()[i].text.startsWith(QStringLiteral("database is locked\r\n") + location
                                                   + QStringLiteral("at line ") + QString::number(line)
                                                   + QStringLiteral("\r\r")))
            << env.boxes()[i].text.toStdString();
    }
    // The editor is open with everything the user typed; the save wrote nothing, and the
    // other process's work is whole.
    ASSERT_EQ(main->openForm2(), &e);
    EXPECT_TRUE(e.isVisible());
    for (int i = 1; i <= 4; ++i)
        EXPECT_EQ(field(i)->text(), typed[i - 1]);
    ASSERT_TRUE(holder.commitAndQuit()) << holder.why().toStdString();
    EXPECT_EQ(test::integrityCheck(ledger), "ok");
    EXPECT_EQ(test::readRows(ledger, "income"), incomeBefore);
    env.clearBoxes();

    // The same click again, the lock gone: the entry is stored as typed and the editor closes.
    e.ui().PushButton1->click();
    EXPECT_TRUE(env.boxes().empty());
    EXPECT_EQ(main->openForm2(), nullptr);
    test::Rows incomeAfter = incomeBefore;
    incomeAfter.push_back({"2", "2021-12-05", "Bonus", "250.75", "Year's end"});
    EXPECT_EQ(test::readRows(ledger, "income"), incomeAfter);
    EXPECT_EQ(test::readRows(ledger, "expenses"),
              (test::Rows{{"1", "2021-01-02", "Holder", "5", "from the other process"}}));
    EXPECT_EQ(w.ui().ListView1->items().itemCount(), 2);
    EXPECT_EQ(w.ui().ListView2->items().itemCount(), 1);
    EXPECT_EQ(w.ui().lblAvailableBalance->text(), QStringLiteral("Available Balance: 1745.75"));
    EXPECT_EQ(test::integrityCheck(ledger), "ok");
}

INSTANTIATE_TEST_SUITE_P(Holders, LedgerLock, ::testing::Values(
    // Another writer: reading goes on, so only the save's own statement meets the lock.
    LockCase{"begin immediate", {{kSaveLocation, 142}}},
    // An exclusive holder: the refresh of both lists meets it too.
    LockCase{"begin exclusive", {{kSaveLocation, 142}, {kListIncomeLocation, 104}, {kSaveLocation, 148}}}));

} // namespace
} // namespace tallymere
