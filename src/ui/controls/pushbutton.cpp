#include "ui/controls/pushbutton.h"

#include <QFont>
#include <QKeyEvent>
#include <QPalette>

namespace tallymere {
namespace {

/// Enter on the keypad or Return on the main keys, with no modifier but the keypad's own.
bool isEnterKey(const QKeyEvent *event)
{
    return (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
        && (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
}

/// The same key event with Space in place of Enter.
QKeyEvent asSpace(const QKeyEvent *event)
{
    return QKeyEvent(event->type(), Qt::Key_Space, Qt::NoModifier, QStringLiteral(" "), event->isAutoRepeat());
}

} // namespace

PushButton::PushButton(QWidget *parent) : QPushButton(parent)
{
    setMouseTracking(true);

    // Every push button of the program looks the same: Arial 11.25 pt bold in the button-text
    // colour of the desktop on white. The text colour is left to the palette, so it follows the
    // desktop's button-text colour.
    QFont buttonFont(QStringLiteral("Arial"));
    buttonFont.setPointSizeF(11.25);
    buttonFont.setBold(true);
    setFont(buttonFont);

    QPalette buttonPalette = palette();
    buttonPalette.setColor(QPalette::Button, Qt::white);
    setPalette(buttonPalette);
}

void PushButton::mouseMoveEvent(QMouseEvent *event)
{
    emit mouseMoved();
    QPushButton::mouseMoveEvent(event);
}

// A desktop user presses the focused button with Enter as with Space. Handing the button's own
// Space handling the key keeps the two alike: the button shows pressed while the key is down,
// clicks when it comes up, and a held key that repeats clicks no more than once.
void PushButton::keyPressEvent(QKeyEvent *event)
{
    if (!isEnterKey(event)) {
        QPushButton::keyPressEvent(event);
        return;
    }
    QKeyEvent space = asSpace(event);
    QAbstractButton::keyPressEvent(&space);
    event->setAccepted(space.isAccepted());
}

void PushButton::keyReleaseEvent(QKeyEvent *event)
{
    if (!isEnterKey(event)) {
        QPushButton::keyReleaseEvent(event);
        return;
    }
    QKeyEvent space = asSpace(event);
    QAbstractButton::keyReleaseEvent(&space);
    event->setAccepted(space.isAccepted());
}

} // namespace tallymere
