#pragma once

#include <QPushButton>

namespace tallymere {

/// The program's push button: a white button with bold Arial text that reports every move of
/// the mouse over it (the pointer-move notification), whether a mouse button is held or not.
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
};

} // namespace tallymere
