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

/// Hands `event`, an Enter key, to `handle` as Space, and takes over whether Space was accepted.
template<class Handle>
void handAsSpace(QKeyEvent *event, Handle handle)
{
    QKeyEvent space(event->type(), Qt::Key_Space, Qt::NoModifier, QStringLiteral(" "), event->isAutoRepeat());
    handle(&space);
    event->setAccepted(space.isAccepted());
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
    if (isEnterKey(event))
        handAsSpace(event, [this](QKeyEvent *space) { QAbstractButton::keyPressEvent(space); });
    else
        QPushButton::keyPressEvent(event);
}

void PushButton::keyReleaseEvent(QKeyEvent *event)
{
    if (isEnterKey(event))
        handAsSpace(event, [this](QKeyEvent *space) { QAbstractButton::keyReleaseEvent(space); });
    else
        QPushButton::keyReleaseEvent(event);
}

} // namespace tallymere
