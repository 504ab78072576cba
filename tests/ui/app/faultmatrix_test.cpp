// Every way the ledger file can be wrong or out of reach, in one table: what the user is told
// (which report, from which procedure and line), that the program goes on, that a file the
// program only read is left byte for byte as it was, and that a save that fails keeps the
// editor open with everything typed.

#include "core/platform/pointershape.h"
#include "support/entryfixture.h"

#include <cctype>
#include <cerrno>
#include <cstring>
#include <functional>

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/mount.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "ui/controls/pushbutton.h"
#include "core/errors/errorreport.h"
#include "core/db/connection.h"
#include "core/db/recordset.h"
#include "core/platform/messagebox.h"
#include "core/platform/program.h"

namespace tallymere {
namespace {

const QString kLoad = QStringLiteral("in Coinfold2021/08/31.Form1.Form_Load ");
const QString kListIncome = QStringLiteral("in Coinfold2021/08/31.modExpense.listIncome ");
const QString kSave = QStringLiteral("in Coinfold2021/08/31.Form2.PushButton1_Click ");
const QString kNotOpen = QStringLiteral("The connection to the ledger is not open.");
const QString kIncomeGone = QStringLiteral("no such table: income");
const QString kExpensesGone = QStringLiteral("no such table: expenses");

/// One error report: the failure's description, the procedure's location and the line.
struct Report {
    QString description;
    QString location;
    int line;
};
using Reports = std::vector<Report>;

class FaultMatrix;

/// One fault: how it is made, and what the user meets at start-up and when saving an income
/// entry. A case whose save has no reports stores the entry.
struct FaultCase {
    const char *name;
    std::function<void(FaultMatrix &)> make;
    /// The program names the missing file and ends.
    bool ends = false;
    Reports atStart = {};
    /// Done while the editor is open, just before Save is clicked.
    std::function<void(FaultMatrix &)> beforeSave = {};
    Reports atSave = {};
    /// The same save's reports when root's writes are stopped by the immutable flag instead of
    /// permissions; empty when they do not differ.
    Reports atSaveWhenImmutable = {};
    /// Takes the fault away again after the failed save: the same click then stores the entry.
    std::function<void(FaultMatrix &)> lift = {};
};

void PrintTo(const FaultCase &c, std::ostream *os)
{
    *os << c.name;
}

/// Sets or clears the immutable flag, which stops writes even by root (who ignores permissions).
bool setImmutable(const QString &path, bool on)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK);
    if (fd < 0)
        return false;
    int flags = 0;
    bool ok = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    if (ok) {
        flags = on ? flags | FS_IMMUTABLE_FL : flags & ~FS_IMMUTABLE_FL;
        ok = ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    }
    ::close(fd);
    return ok;
}

class FaultMatrix : public test::EntryTest, public ::testing::WithParamInterface<FaultCase>
{
public:
    QString ledgerFile() const { return ledger; }
    /// The program's own connection to the ledger.
    const Connection &programConnection() { return main->ledger().connection(); }
    /// Runs a setting of the engine on the program's own connection, past the program's layer.
    void setOnProgramConnection(const QString &pragma)
    {
        ASSERT_EQ(sqlite3_exec(programConnection().handle(), pragma.toUtf8().constData(), nullptr, nullptr, nullptr),
                  SQLITE_OK);
    }
    QString folder() const { return platform::programFolder(); }

    /// Makes `path` (the ledger or the program folder) read-only in a way that really stops
    /// this process: permissions for an ordinary user, the immutable flag for root.
    void makeReadOnly(const QString &path)
    {
        if (geteuid() != 0) {
            const auto permissions = QFileInfo(path).permissions();
            ASSERT_TRUE(QFile::setPermissions(path, permissions & ~(QFile::WriteOwner | QFile::WriteUser
                                                                    | QFile::WriteGroup | QFile::WriteOther)));
            m_undo.emplace_back(path, [path, permissions] { QFile::setPermissions(path, permissions); });
            return;
        }
        if (!setImmutable(path, true))
            GTEST_SKIP() << "running as root, who writes whatever the permissions say, and this file system "
                            "or this process may not set the immutable flag that would stop root";
        m_immutable = true;
        m_undo.emplace_back(path, [path] { setImmutable(path, false); });
    }

    /// Undoes makeReadOnly.
    void makeWritable(const QString &path)
    {
        for (auto &[undonePath, undo] : m_undo) {
            if (undonePath == path && undo) {
                undo();
                undo = nullptr;
            }
        }
    }

    /// Puts the program folder on a tmpfs of 256 KiB, with an empty ledger in it.
    void useTinyFileSystem()
    {
        const QString mountPoint = env.path(QStringLiteral("small"));
        ASSERT_TRUE(QDir().mkpath(mountPoint));
        if (::mount("tmpfs", QFile::encodeName(mountPoint).constData(), "tmpfs", 0, "size=256k") != 0)
            GTEST_SKIP() << "this process may not mount a tmpfs (" << std::strerror(errno)
                         << "); the page-limit case stands in for a full disk";
        m_undo.emplace_back(mountPoint,
                            [mountPoint] { ::umount2(QFile::encodeName(mountPoint).constData(), MNT_DETACH); });
        platform::setProgramFolder(mountPoint);
        ledger = mountPoint + QStringLiteral("/dbExpense.mdb");
        test::makeLedger(ledger);
    }

    /// Fills what is left of the tiny file system.
    void fillFileSystem()
    {
        QFile filler(QFileInfo(ledger).path() + QStringLiteral("/filler"));
        ASSERT_TRUE(filler.open(QIODevice::WriteOnly));
        const QByteArray block(4096, 'f');
        while (filler.write(block) == block.size() && filler.flush()) {
        }
    }

    void removeFiller() { QFile::remove(QFileInfo(ledger).path() + QStringLiteral("/filler")); }

    /// Rewrites one table of the ledger with the given create statement.
    void replaceTable(const QString &table, const QString &create)
    {
        Connection db;
        db.openFile(ledger);
        db.Execute(QStringLiteral("drop table ") + table);
        if (!create.isEmpty())
            db.Execute(create);
    }

    void execute(const QString &statement)
    {
        Connection db;
        db.openFile(ledger);
        db.Execute(statement);
    }

    void writeFile(const QByteArray &content)
    {
        QFile file(ledger);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(content);
    }

    bool immutable() const { return m_immutable; }

protected:
    void TearDown() override
    {
        EntryTest::TearDown();
        for (auto undo = m_undo.rbegin(); undo != m_undo.rend(); ++undo) {
            if (undo->second)
                undo->second();
        }
    }

    /// The boxes shown since the last look, as the report texts they must be.
    std::vector<QString> shown()
    {
        std::vector<QString> texts;
        for (const auto &box : env.boxes()) {
            EXPECT_EQ(box.caption, QStringLiteral("Application Error")) << box.text.toStdString();
            EXPECT_EQ(box.style, platform::MessageStyle::Exclamation);
            texts.push_back(box.text);
        }
        env.clearBoxes();
        return texts;
    }

    static std::vector<QString> texts(const Reports &reports)
    {
        std::vector<QString> result;
        for (const Report &r : reports)
            result.push_back(errorReportText(r.description, r.location, r.line));
        return result;
    }

private:
    std::vector<std::pair<QString, std::function<void()>>> m_undo;
    bool m_immutable = false;
};

TEST_P(FaultMatrix, reportsWhereItFailedGoesOnLeavesReadFilesAloneAndKeepsTheTypedEntry)
{
    const FaultCase &c = GetParam();
    test::insertRow(ledger, "income", "2021-12-01", "Salary", "1500", "November");
    c.make(*this);
    if (IsSkipped() || HasFatalFailure())
        return;
    const bool fileThere = QFileInfo(ledger).isFile();
    const test::FileStamp before = test::fileStamp(ledger);

    Form1 &w = start();
    if (c.ends) {
        // The program names the file it looked for and ends; it never creates or touches it.
        ASSERT_EQ(env.boxes().size(), 1u);
        EXPECT_EQ(env.boxes()[0].text, platform::programFolder() + QStringLiteral("/dbExpense.mdb not found."));
        EXPECT_EQ(env.endCount(), 1);
        EXPECT_FALSE(main->ledger().hasConnection());
        EXPECT_FALSE(QFileInfo(ledger).isFile());
        return;
    }

    EXPECT_EQ(shown(), texts(c.atStart));
    EXPECT_EQ(env.endCount(), 0);
    EXPECT_EQ(w.MousePointer(), PointerShape::Default);
    // Start-up only reads: the file is as it was, to the byte and the modification time.
    if (fileThere) {
        EXPECT_EQ(test::fileStamp(ledger), before);
    }

    // A user adds an income entry: the refresh as the editor opens may report again; the save's
    // own reports are what this case is about.
    w.PushButton1_Click();
    Form2 *e = main->openForm2();
    ASSERT_NE(e, nullptr);
    env.clearBoxes();
    if (c.beforeSave)
        c.beforeSave(*this);
    const QString particulars = QStringLiteral("A long remark. ").repeated(1500);
    const QStringList typed{QStringLiteral("12/24/2021"), QStringLiteral("Gift \u2603"), QStringLiteral("99.99"),
                            particulars};
    type(typed[0], typed[1], typed[2], typed[3]);
    const test::FileStamp beforeSave = test::fileStamp(ledger);
    e->ui().PushButton1->click();

    const Reports &expected = immutable() && !c.atSaveWhenImmutable.empty() ? c.atSaveWhenImmutable : c.atSave;
    EXPECT_EQ(shown(), texts(expected));
    EXPECT_EQ(env.endCount(), 0);
    const test::Row stored{"2021-12-24", "Gift \u2603", "99.99", particulars.toStdString()};
    if (expected.empty()) {
        EXPECT_EQ(main->openForm2(), nullptr);
        const test::Rows rows = test::readRows(ledger, "income");
        ASSERT_FALSE(rows.empty());
        EXPECT_EQ(test::Row(rows.back().begin() + 1, rows.back().begin() + 5), stored);
        return;
    }

    // The save failed: nothing was written, and the editor still holds what the user typed.
    ASSERT_EQ(main->openForm2(), e);
    EXPECT_TRUE(e->isVisible());
    for (int i = 1; i <= 4; ++i)
        EXPECT_EQ(field(i)->text(), typed[i - 1]) << "field " << i;
    if (fileThere) {
        EXPECT_EQ(test::fileStamp(ledger), beforeSave);
    }
    if (!c.lift)
        return;

    c.lift(*this);
    e->ui().PushButton1->click();
    EXPECT_EQ(shown(), std::vector<QString>());
    EXPECT_EQ(main->openForm2(), nullptr);
    const test::Rows rows = test::readRows(ledger, "income");
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(test::Row(rows[1].begin() + 1, rows[1].end()), stored);
    EXPECT_EQ(w.ui().ListView1->items().itemCount(), 2);
}

/// The engine's page limit, set on the program's own connection, stands in for a full disk: the
/// file may not grow by a single page.
void limitPages(FaultMatrix &m)
{
    Recordset pages;
    pages.Open(QStringLiteral("pragma page_count"), m.programConnection());
    m.setOnProgramConnection(QStringLiteral("pragma max_page_count = ") + pages.Fields(0));
}

INSTANTIATE_TEST_SUITE_P(Ledger, FaultMatrix, ::testing::Values(
    FaultCase{.name = "missing", .make = [](FaultMatrix &m) { QFile::remove(m.ledgerFile()); }, .ends = true},
    FaultCase{.name = "a folder of that name",
              .make = [](FaultMatrix &m) {
                  QFile::remove(m.ledgerFile());
                  QDir().mkpath(m.ledgerFile());
              },
              .ends = true},
    FaultCase{.name = "zero bytes",
              .make = [](FaultMatrix &m) { m.writeFile({}); },
              .atStart = {{kIncomeGone, kListIncome, 104}, {kExpensesGone, kLoad, 190}},
              .atSave = {{kIncomeGone, kSave, 142}, {kIncomeGone, kListIncome, 104}, {kExpensesGone, kSave, 148}}},
    // An Access file, as the ledger of an older program would be.
    FaultCase{.name = "not a database",
              .make = [](FaultMatrix &m) {
                  m.writeFile(QByteArray("\0\1\0\0Standard Jet DB\0", 19) + QByteArray(4077, '\x5a'));
              },
              .atStart = {{QStringLiteral("file is not a database"), kLoad, 186},
                          {kNotOpen, kListIncome, 104},
                          {kNotOpen, kLoad, 190}},
              .atSave = {{kNotOpen, kSave, 142}, {kNotOpen, kListIncome, 104}, {kNotOpen, kSave, 148}}},
    FaultCase{.name = "truncated",
              .make = [](FaultMatrix &m) {
                  for (int i = 0; i < 200; ++i)
                      test::insertRow(m.ledgerFile(), "expenses", "2021-01-01", "Food", "1", std::string(300, 'p'));
                  QFile file(m.ledgerFile());
                  ASSERT_TRUE(file.resize(file.size() / 2));
              },
              .atStart = {{QStringLiteral("database disk image is malformed"), kLoad, 186},
                          {kNotOpen, kListIncome, 104},
                          {kNotOpen, kLoad, 190}},
              .atSave = {{kNotOpen, kSave, 142}, {kNotOpen, kListIncome, 104}, {kNotOpen, kSave, 148}}},
    // The engine opens a file it may not write read-only, and the connection stays read-only for
    // its life: the fault is not lifted within one run.
    FaultCase{.name = "read-only file",
              .make = [](FaultMatrix &m) { m.makeReadOnly(m.ledgerFile()); },
              .atSave = {{QStringLiteral("attempt to write a readonly database"), kSave, 142}}},
    // Every write makes its journal next to the ledger. The engine words the failure differently
    // when the folder is immutable.
    FaultCase{.name = "read-only folder",
              .make = [](FaultMatrix &m) { m.makeReadOnly(m.folder()); },
              .atSave = {{QStringLiteral("attempt to write a readonly database"), kSave, 142}},
              .atSaveWhenImmutable = {{QStringLiteral("unable to open database file"), kSave, 142}},
              .lift = [](FaultMatrix &m) { m.makeWritable(m.folder()); }},
    FaultCase{.name = "a table missing",
              .make = [](FaultMatrix &m) { m.replaceTable(QStringLiteral("income"), {}); },
              .atStart = {{kIncomeGone, kListIncome, 104}},
              .atSave = {{kIncomeGone, kSave, 142}, {kIncomeGone, kListIncome, 104}}},
    FaultCase{.name = "a column missing",
              .make = [](FaultMatrix &m) {
                  m.replaceTable(QStringLiteral("income"),
                                 QStringLiteral("create table income (sr_no integer primary key, date text, "
                                                "source text, amount text)"));
                  m.execute(QStringLiteral("insert into income (date, source, amount) values ('2021-12-01', "
                                           "'Salary', '1500')"));
              },
              .atStart = {{QStringLiteral("The recordset has no column named particulars."), kListIncome, 126}},
              .atSave = {{QStringLiteral("table income has no column named particulars"), kSave, 142},
                         {QStringLiteral("The recordset has no column named particulars."), kListIncome, 126}}},
    // Columns after the five the program knows are left alone.
    FaultCase{.name = "extra columns",
              .make = [](FaultMatrix &m) {
                  m.replaceTable(QStringLiteral("income"),
                                 QStringLiteral("create table income (sr_no integer primary key autoincrement, "
                                                "date text, source text, amount text, particulars text, "
                                                "receipt blob, note text default 'kept')"));
                  m.replaceTable(QStringLiteral("expenses"),
                                 QStringLiteral("create table expenses (sr_no integer primary key, date text, "
                                                "category text, amount text, particulars text, note text)"));
                  test::insertRow(m.ledgerFile(), "income", "2021-12-01", "Salary", "1500", "November");
              }},
    FaultCase{.name = "disk full (page limit)",
              .make = [](FaultMatrix &) {},
              .beforeSave = limitPages,
              .atSave = {{QStringLiteral("database or disk is full"), kSave, 142}},
              .lift = [](FaultMatrix &m) {
                  m.setOnProgramConnection(QStringLiteral("pragma max_page_count = 1073741823"));
              }},
    FaultCase{.name = "disk full (tmpfs)",
              .make = [](FaultMatrix &m) {
                  m.useTinyFileSystem();
                  if (!FaultMatrix::IsSkipped())
                      test::insertRow(m.ledgerFile(), "income", "2021-12-01", "Salary", "1500", "November");
              },
              .beforeSave = [](FaultMatrix &m) { m.fillFileSystem(); },
              .atSave = {{QStringLiteral("database or disk is full"), kSave, 142}},
              .lift = [](FaultMatrix &m) { m.removeFiller(); }}),
    [](const ::testing::TestParamInfo<FaultCase> &param) {
        std::string name;
        for (const char ch : std::string(param.param.name))
            name += std::isalnum(static_cast<unsigned char>(ch)) ? ch : '_';
        return name;
    });

} // namespace
} // namespace tallymere
