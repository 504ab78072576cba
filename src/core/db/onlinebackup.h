#pragma once

struct sqlite3_backup;

namespace tallymere {

class Database;

/// The engine's online backup of one database into another, page by page, in the SQLiteCpp
/// manner: started by the constructor, finished by the destructor. Each step holds a short read
/// lock of the source; a change another connection commits between two steps makes the engine
/// start the copy again.
class OnlineBackup
{
public:
    /// Starts copying `source` into `target`; throws tallymere::Error with the engine's message.
    OnlineBackup(Database &target, Database &source);
    ~OnlineBackup();
    OnlineBackup(const OnlineBackup &) = delete;
    OnlineBackup &operator=(const OnlineBackup &) = delete;

    /// Copies up to `pages` pages (all that are left when negative): true when the copy is
    /// complete. Throws tallymere::Error with the engine's text of its result on failure.
    bool step(int pages);
    /// The pages left to copy, as of the last step.
    int remaining() const noexcept;

private:
    sqlite3_backup *m_backup = nullptr;
};

} // namespace tallymere
