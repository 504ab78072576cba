#pragma once

#include <stdexcept>

#include <QString>

namespace tallymere {

/// A run-time failure of one statement. Its description is what the error report shows: for a
/// database failure, the engine's own message.
class Error : public std::runtime_error
{
public:
    explicit Error(const QString &description)
        : std::runtime_error(description.toStdString()), m_description(description)
    {
    }

    const QString &description() const noexcept { return m_description; }

private:
    QString m_description;
};

} // namespace tallymere
