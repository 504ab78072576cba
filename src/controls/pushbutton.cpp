#include "controls/pushbutton.h"

#include <QFont>
#include <QPalette>

namespace tallymere {

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

} // namespace tallymere
