#include "ui/windows/icons.h"

#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <QSvgRenderer>

namespace tallymere {

namespace {

/// Renders the artwork onto a transparent square of `size` pixels.
QImage rendered(QSvgRenderer &artwork, int size)
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        artwork.render(&painter);
    }
    return image;
}

} // namespace

QIcon layoutIcon()
{
    QPixmap transparent(32, 32);
    transparent.fill(Qt::transparent);
    return QIcon(transparent);
}

QIcon programIcon()
{
    // The artwork the build also renders the desktop's theme icons from, in the same sizes
    // (resources/icons, embedded by cmake/desktop.cmake): one picture in the title bar, the
    // task bar and the menu.
    QSvgRenderer artwork(QStringLiteral(":/icons/program.svg"));
    QIcon icon;
    for (int size : {16, 32, 48, 64, 128, 256})
        icon.addPixmap(QPixmap::fromImage(rendered(artwork, size)));
    return icon;
}

} // namespace tallymere
