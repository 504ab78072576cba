#include "support/readonlypaths.h"

#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <QFile>

namespace tallymere::test {
namespace {

constexpr QFileDevice::Permissions kWrite =
    QFileDevice::WriteOwner | QFileDevice::WriteUser | QFileDevice::WriteGroup | QFileDevice::WriteOther;

// Capabilities belong to a thread; the raw calls change only the calling one.
bool readCapabilities(__user_cap_data_struct (&data)[2])
{
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    return ::syscall(SYS_capget, &header, data) == 0;
}

bool writeCapabilities(__user_cap_data_struct (&data)[2])
{
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    return ::syscall(SYS_capset, &header, data) == 0;
}

} // namespace

ReadOnlyPaths::~ReadOnlyPaths()
{
    if (m_capabilityDropped) {
        __user_cap_data_struct data[2]{};
        if (readCapabilities(data)) {
            data[0].effective = m_savedEffective;
            writeCapabilities(data);
        }
    }
    for (const auto &[path, permissions] : m_paths)
        QFile::setPermissions(path, permissions);
}

bool ReadOnlyPaths::add(const QString &path)
{
    const QFileDevice::Permissions permissions = QFile::permissions(path);
    if (!QFile::setPermissions(path, permissions & ~kWrite))
        return false;
    m_paths.emplace_back(path, permissions);
    return true;
}

bool ReadOnlyPaths::hold()
{
    if (::geteuid() != 0 || m_capabilityDropped)
        return true;
    __user_cap_data_struct data[2]{};
    if (!readCapabilities(data))
        return false;
    m_savedEffective = data[0].effective;
    data[0].effective &= ~(1u << CAP_DAC_OVERRIDE);
    m_capabilityDropped = writeCapabilities(data);
    return m_capabilityDropped;
}

} // namespace tallymere::test
