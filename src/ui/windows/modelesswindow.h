#pragma once

#include <QWidget>

namespace tallymere {

/// A modeless window the main window keeps at most one of (see SingleWindow): it says when it
/// begins to close and when it has closed, so the keeper forgets it in time.
class ModelessWindow : public QWidget
{
    Q_OBJECT

public:
    ModelessWindow(QWidget *parent, Qt::WindowFlags flags);

signals:
    /// The window begins to close: from now on it takes no command.
    void closing();
    /// The window has closed (after its unload step, where it has one).
    void closed();
};

} // namespace tallymere
