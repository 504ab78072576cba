#pragma once

#include <QFileDevice>
#include <QString>

#include <vector>

namespace tallymere::test {

/// Makes files and folders read-only to this test in a way that holds for root as well: their
/// write permissions are taken away, and root's power to write past permissions is laid down
/// for the calling thread while the object lives. Everything comes back when it goes.
class ReadOnlyPaths
{
public:
    ReadOnlyPaths() = default;
    ~ReadOnlyPaths();
    ReadOnlyPaths(const ReadOnlyPaths &) = delete;
    ReadOnlyPaths &operator=(const ReadOnlyPaths &) = delete;

    /// Takes the write permissions of `path` away; false when they cannot be changed.
    bool add(const QString &path);
    /// True when this thread can no longer write the paths added: an ordinary user always, root
    /// once its power to override permissions could be laid down.
    bool hold();

private:
    std::vector<std::pair<QString, QFileDevice::Permissions>> m_paths;
    bool m_capabilityDropped = false;
    unsigned m_savedEffective = 0;
};

} // namespace tallymere::test
