#pragma once

#include <utility>

#include <QObject>
#include <QPointer>
#include <QWidget>

namespace tallymere {

/// A window the program has at most one of (the entry editor, the date format dialog), kept by
/// the window that opens it. The first access while none is open creates it and runs its load
/// step; later accesses return the same window, not loaded again, until it closes. A closed
/// window is gone, deleted once the procedure that closed it has returned, and the next access
/// loads a fresh one. A window that has begun to close counts as gone already: nothing acts on
/// it any more. `Window` has Form_Load() and the closing() and closed() signals (as a
/// ModelessWindow has).
template<class Window>
class SingleWindow
{
public:
    /// The open window, created by `make` and loaded when none is open; `created` runs on a new
    /// window before its load step.
    template<class Make, class Created>
    Window &get(Make &&make, Created &&created)
    {
        if (!m_window) {
            Window *window = make();
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

    template<class Make>
    Window &get(Make &&make)
    {
        return get(std::forward<Make>(make), [](Window *) {});
    }

    /// get(), then the window shown in front of the others and active: a second command for a
    /// window that is open just brings it forward.
    template<class Make, class Created>
    Window &showInFront(Make &&make, Created &&created)
    {
        Window &window = get(std::forward<Make>(make), std::forward<Created>(created));
        window.show();
        window.raise();
        window.activateWindow();
        return window;
    }

    /// The window that is open now, or null.
    Window *open() const noexcept { return m_window.data(); }

private:
    QPointer<Window> m_window;
};

} // namespace tallymere
