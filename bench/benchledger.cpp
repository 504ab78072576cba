#include "benchledger.h"

#include <fcntl.h>
#include <unistd.h>

#include <stdexcept>
#include <string>

#include <QDir>
#include <QFile>

#include "core/db/ledgerschema.h"
#include "core/platform/messagebox.h"
#include "support/ledgerfile.h"

namespace tallymere::bench {
namespace {

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

    const auto entryAt = [](int i) -> test::Entry {
        return {"20" + std::to_string(10 + i % 15) + "-" + std::to_string(10 + i % 3) + "-" + std::to_string(10 + i % 19),
                "Household " + std::to_string(i % 50), std::to_string(i % 1000) + "." + std::to_string(10 + i % 90),
                "Entry " + std::to_string(i) + " of the household books"};
    };
    test::seedLedger(partial, {{"income", rows, entryAt}, {"expenses", rows, entryAt}});
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

test::QuietProgram &quietProgram()
{
    static test::QuietProgram quiet(platform::MessageResult::Yes);
    return quiet;
}

} // namespace tallymere::bench
