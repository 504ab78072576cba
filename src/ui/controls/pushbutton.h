#pragma once

#include <QPushButton>

namespace tallymere {

/// The program's push button: a white button with bold Arial text that reports every move of
/// the mouse over it (the pointer-move notification), whether a mouse button is held or not.
/// Enter and Return press it as Space does: down with the key, clicked when the key comes up,
/// once however long the key is held.
class PushButton : public QPushButton
{
    Q_OBJECT

public:
    explicit PushButton(QWidget *parent = nullptr);

signals:
    /// The mouse moved over the button.
    void mouseMoved();

protected:
    void mouseMoveEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;
};

} // namespace tallymere
