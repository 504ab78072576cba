#include "core/db/onlinebackup.h"

#include <sqlite3.h>

#include "core/db/database.h"
#include "core/errors/error.h"

namespace tallymere {

OnlineBackup::OnlineBackup(Database &target, Database &source)
    : m_backup(sqlite3_backup_init(target.handle(), "main", source.handle(), "main"))
{
    if (!m_backup)
        throw Error(target.lastMessage());
}

OnlineBackup::~OnlineBackup()
{
    sqlite3_backup_finish(m_backup);
}

bool OnlineBackup::step(int pages)
{
    const int rc = sqlite3_backup_step(m_backup, pages);
    if (rc != SQLITE_OK && rc != SQLITE_DONE)
        throw Error(Database::resultText(rc));
    return rc == SQLITE_DONE;
}

int OnlineBackup::remaining() const noexcept
{
    return sqlite3_backup_remaining(m_backup);
}

} // namespace tallymere
