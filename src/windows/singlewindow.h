#pragma once

#include <QObject>
#include <QPointer>
#include <QWidget>

namespace tallymere {

/// A window the program has at most one of (the entry editor, the date format dialog). The first
/// access while none is open creates it, a top-level window owned by `owner` when one is given
/// so that it goes with the main window, and runs its load step; later accesses return the same
/// window, not loaded again, until it closes. A closed window is gone, deleted once the
/// procedure that closed it has returned, and the next access loads a fresh one. A window that
/// has begun to close counts as gone already: nothing acts on it any more.
/// `Window` has a constructor taking the owner, Form_Load() and the closing() and closed()
/// signals.
template<class Window>
class SingleWindow
{
public:
    /// The open window, created and loaded when none is open; `created` runs on a new window
    /// before its load step.
    template<class Created>
    Window &get(QWidget *owner, Created &&created)
    {
        if (!m_window) {
            auto *window = new Window(owner);
            m_window = window;
            QObject::connect(window, &Window::closing, window, [this, window] {
                if (m_window == window)
                    m_window = nullptr;
            });
            QObject::connect(window, &Window::closed, window, [this, window] {
                if (m_window == window)
                    m_window = nullptr;
                window->deleteLater();
            });
            created(window);
            window->Form_Load();
        }
        return *m_window;
    }

    Window &get(QWidget *owner)
    {
        return get(owner, [](Window *) {});
    }

    /// The window that is open now, or null.
    Window *open() const noexcept { return m_window.data(); }

private:
    QPointer<Window> m_window;
};

} // namespace tallymere
