#include "windows/icons.h"

#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace tallymere {

namespace {

/// Paints the ledger book on a 256-unit square, scaled to `size` pixels.
QImage ledgerBook(int size)
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);

    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(size / 256.0, size / 256.0);
    painter.setPen(Qt::NoPen);

    const QColor cover(0x2E, 0x6B, 0x72);     // deep teal
    const QColor spine(0x22, 0x50, 0x56);
    const QColor pages(0xF4, 0xEE, 0xDC);     // cream
    const QColor pageEdge(0xC9, 0xBF, 0xA4);
    const QColor ribbon(0xD9, 0x8E, 0x3F);    // amber bookmark
    const QColor ink(0x2E, 0x6B, 0x72);

    // The pages show below and to the right of the cover.
    painter.setBrush(pageEdge);
    painter.drawRoundedRect(QRectF(48, 40, 184, 196), 14, 14);
    painter.setBrush(pages);
    painter.drawRoundedRect(QRectF(44, 34, 182, 194), 14, 14);

    // The cover, with its spine on the left.
    painter.setBrush(cover);
    painter.drawRoundedRect(QRectF(28, 20, 184, 200), 16, 16);
    painter.setBrush(spine);
    QPainterPath spinePath;
    spinePath.addRoundedRect(QRectF(28, 20, 40, 200), 16, 16);
    spinePath.addRect(QRectF(52, 20, 16, 200));
    painter.drawPath(spinePath.simplified());

    // A label on the cover ruled like a ledger page: lines and a column of figures.
    painter.setBrush(pages);
    painter.drawRoundedRect(QRectF(88, 56, 100, 92), 8, 8);
    painter.setBrush(ink);
    for (int line = 0; line < 4; ++line)
        painter.drawRect(QRectF(100, 72 + line * 18, 76, 6));
    painter.drawRect(QRectF(150, 66, 5, 72));

    // The bookmark hangs out at the bottom.
    painter.setBrush(ribbon);
    QPainterPath bookmark;
    bookmark.moveTo(160, 200);
    bookmark.lineTo(184, 200);
    bookmark.lineTo(184, 246);
    bookmark.lineTo(172, 234);
    bookmark.lineTo(160, 246);
    bookmark.closeSubpath();
    painter.drawPath(bookmark);

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
    QIcon icon;
    for (int size : {32, 48, 128, 256})
        icon.addPixmap(QPixmap::fromImage(ledgerBook(size)));
    return icon;
}

} // namespace tallymere
