#pragma once

#include <functional>
#include <utility>

#include <QObject>
#include <QTimer>

namespace tallymere {

/// A procedure run once the program is idle, however often it was asked for before then: a
/// window that follows the lists does its work once for a refresh of both.
class IdleCall
{
public:
    /// `call` runs with `owner` alive; it is not run once `owner` is gone.
    IdleCall(QObject *owner, std::function<void()> call) : m_owner(owner), m_call(std::move(call)) {}

    void request()
    {
        if (m_pending)
            return;
        m_pending = true;
        QTimer::singleShot(0, m_owner, [this] {
            m_pending = false;
            m_call();
        });
    }

private:
    QObject *m_owner;
    std::function<void()> m_call;
    bool m_pending = false;
};

} // namespace tallymere
