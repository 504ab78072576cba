#include "benchledger.h"

#include <fcntl.h>
#include <unistd.h>

#include <stdexcept>
#include <string>

#include <QDir>
#include <QFile>
#include <QUrl>

#include <sqlite3.h>

#include "core/db/ledgerschema.h"
#include "core/platform/messagebox.h"
#include "ui/windows/mainmodule.h"

namespace tallymere::bench {
namespace {

void exec(sqlite3 *db, const char *sql)
{
    char *message = nullptr;
    if (sqlite3_exec(db, sql, nullptr, nullptr, &message) != SQLITE_OK) {
        const std::string text = message ? message : "unknown";
        sqlite3_free(message);
        throw std::runtime_error(text);
    }
}

void fillTable(sqlite3 *db, const char *insert, int rows)
{
    sqlite3_stmt *stmt = nullptr;
    sqlite3_prepare_v2(db, insert, -1, &stmt, nullptr);
    for (int i = 0; i < rows; ++i) {
        const std::string date = "20" + std::to_string(10 + i % 15) + "-" + std::to_string(10 + i % 3) + "-"
            + std::to_string(10 + i % 19);
        const std::string name = "Household " + std::to_string(i % 50);
        const std::string amount = std::to_string(i % 1000) + "." + std::to_string(10 + i % 90);
        const std::string particulars = "Entry " + std::to_string(i) + " of the household books";
        sqlite3_bind_text(stmt, 1, date.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(stmt, 2, name.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(stmt, 3, amount.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(stmt, 4, particulars.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_step(stmt);
        sqlite3_reset(stmt);
    }
    sqlite3_finalize(stmt);
}

void flushToDisk(const QString &path, int flags)
{
    const int fd = ::open(QFile::encodeName(path).constData(), flags);
    if (fd < 0)
        throw std::runtime_error("cannot open " + path.toStdString());
    const int rc = ::fsync(fd);
    ::close(fd);
    if (rc != 0)
        throw std::runtime_error("cannot flush " + path.toStdString());
}

QStringList &boxes()
{
    static QStringList texts;
    return texts;
}

} // namespace

QString ledgerFolder(int rows)
{
    const QString folder = QDir::tempPath() + QStringLiteral("/tallymere-bench-%1").arg(rows);
    const QString path = ledgerPath(folder);
    if (QFile::exists(path))
        return folder;
    QDir().mkpath(folder);
    const QString partial = path + QStringLiteral(".partial");
    QFile::remove(partial);
    createLedger(partial);

    sqlite3 *db = nullptr;
    sqlite3_open(partial.toUtf8().constData(), &db);
    exec(db, "begin");
    fillTable(db, "insert into income (date, source, amount, particulars) values (?, ?, ?, ?)", rows);
    fillTable(db, "insert into expenses (date, category, amount, particulars) values (?, ?, ?, ?)", rows);
    exec(db, "commit");
    sqlite3_close(db);
    QFile::rename(partial, path);
    return folder;
}

void warmUp(const QString &folder)
{
    QFile file(ledgerPath(folder));
    if (!file.open(QIODevice::ReadOnly))
        throw std::runtime_error("cannot read " + file.fileName().toStdString());
    while (!file.read(1 << 20).isEmpty()) {
    }
}

LedgerCopy::LedgerCopy(int rows)
{
    const QString source = ledgerPath(ledgerFolder(rows));
    if (!m_dir.isValid() || !QFile::copy(source, path()))
        throw std::runtime_error("the ledger could not be copied");
    flushToDisk(path(), O_RDWR);
    flushToDisk(m_dir.path(), O_RDONLY | O_DIRECTORY);
}

QString LedgerCopy::path() const
{
    return ledgerPath(m_dir.path());
}

void quietProgram()
{
    Main::setHomePageSeams([] { return 0; }, [](const QUrl &) {});
    platform::setMessageBoxHandler([](const QString &text, int style, const QString &) -> int {
        boxes().append(text);
        return (style & 7) == platform::MessageStyle::YesNo ? platform::MessageResult::Yes : platform::MessageResult::Ok;
    });
}

const QStringList &boxTexts()
{
    return boxes();
}

void clearBoxes()
{
    boxes().clear();
}

} // namespace tallymere::bench
