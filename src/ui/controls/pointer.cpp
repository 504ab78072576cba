#include "ui/controls/pointer.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include <QBuffer>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QImageReader>
#include <QPixmap>
#include <QWidget>

#include "core/errors/error.h"
#include "core/platform/pointershape.h"

namespace tallymere {

void WindowPointer::setShape(int shape)
{
    // The pointer procedures write the shape on every move of the mouse; the window system
    // hears of it only when it changes.
    if (shape == m_shape)
        return;
    m_shape = shape;
    show();
}

void WindowPointer::setCustomImage(const QCursor &image)
{
    m_custom = image;
    if (m_shape == PointerShape::Custom)
        show();
}

void WindowPointer::show()
{
    if (m_shape == PointerShape::Hourglass) {
        m_window->setCursor(Qt::WaitCursor);
        coverControls();
        return;
    }
    uncoverControls();
    if (m_shape == PointerShape::Custom)
        m_window->setCursor(m_custom ? *m_custom : QCursor(Qt::ArrowCursor));
    else
        m_window->unsetCursor();
}

void WindowPointer::coverControls()
{
    // The window's pointer shows over every control that has none of its own; the others (a
    // text field's text pointer) would otherwise hide the hourglass. Other windows that this one
    // owns keep their own pointers.
    for (QWidget *control : m_window->findChildren<QWidget *>()) {
        if (control->window() == m_window && control->testAttribute(Qt::WA_SetCursor)
            && control->cursor().shape() != Qt::WaitCursor) {
            m_covered.push_back({control, control->cursor()});
            control->setCursor(Qt::WaitCursor);
        }
    }
}

void WindowPointer::uncoverControls()
{
    for (const CoveredControl &covered : m_covered) {
        // A control that changed its pointer meanwhile keeps what it chose.
        if (covered.control && covered.control->testAttribute(Qt::WA_SetCursor)
            && covered.control->cursor().shape() == Qt::WaitCursor)
            covered.control->setCursor(covered.own);
    }
    m_covered.clear();
}

namespace {

/// One image of a pointer file and its hotspot (negative: none given).
struct PointerImage {
    QImage image;
    QPoint hotspot{-1, -1};
};

/// Every image of a pointer file, in the file's order.
std::vector<PointerImage> readPointerImages(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw Error(QStringLiteral("The pointer file %1 could not be read: %2").arg(path, file.errorString()));
    QByteArray bytes = file.readAll();

    // A .cur file is an icon directory: after six bytes, an entry of 16 bytes per image, whose
    // bytes 4 to 7 carry the image's hotspot.
    const auto u16 = [&bytes](qsizetype at) {
        return int(quint8(bytes.at(at))) | (int(quint8(bytes.at(at + 1))) << 8);
    };
    const bool isCursorFile = bytes.size() >= 22 && u16(0) == 0 && u16(2) == 2 && u16(4) >= 1;

    std::vector<PointerImage> images;
    if (isCursorFile) {
        QBuffer buffer(&bytes);
        QImageReader reader(&buffer, "CUR");
        const int count = std::min(u16(4), int((bytes.size() - 6) / 16));
        for (int i = 0; i < count; ++i) {
            if (!reader.jumpToImage(i))
                break;
            QImage image = reader.read();
            if (image.isNull())
                break;
            images.push_back({std::move(image), QPoint(u16(6 + 16 * i + 4), u16(6 + 16 * i + 6))});
        }
    }
    if (images.empty()) {
        QImage image;
        if (!image.loadFromData(bytes))
            throw Error(QStringLiteral("The pointer file %1 is not an image.").arg(path));
        images.push_back({std::move(image), QPoint(-1, -1)});
    }
    return images;
}

} // namespace

QCursor loadPointerFile(const QString &path, qreal devicePixelRatio)
{
    const std::vector<PointerImage> images = readPointerImages(path);
    std::vector<const PointerImage *> bySize;
    for (const PointerImage &image : images)
        bySize.push_back(&image);
    std::stable_sort(bySize.begin(), bySize.end(),
                     [](const PointerImage *a, const PointerImage *b) { return a->image.width() < b->image.width(); });

    // The pointer in the window's own pixels, from the smallest image that is at least as large
    // (or the largest); the window system shows a pointer image pixel for pixel.
    const qreal ratio = std::max<qreal>(1.0, devicePixelRatio);
    const QSize wanted = (QSizeF(bySize.front()->image.size()) * ratio).toSize();
    const auto fits = std::find_if(bySize.begin(), bySize.end(),
                                   [&](const PointerImage *image) { return image->image.width() >= wanted.width(); });
    const PointerImage &chosen = fits != bySize.end() ? **fits : *bySize.back();
    QImage image = chosen.image;
    QPoint hotspot = chosen.hotspot;
    if (image.size() != wanted) {
        const qreal scale = qreal(wanted.width()) / image.width();
        image = image.scaled(wanted, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        if (hotspot.x() >= 0)
            hotspot = QPoint(int(hotspot.x() * scale), int(hotspot.y() * scale));
    }
    QPixmap pixmap = QPixmap::fromImage(image);

    // On X11, Qt hands the image and the hotspot to the window system as they are, in the
    // image's own pixels; the other window systems take the image's pixel ratio into account
    // and want the hotspot in the window's units. A hotspot of -1 is the middle, in either.
    if (ratio == 1.0 || QGuiApplication::platformName() == QLatin1String("xcb"))
        return QCursor(pixmap, hotspot.x(), hotspot.y());
    pixmap.setDevicePixelRatio(ratio);
    const auto logical = [ratio](int pixels) { return pixels < 0 ? -1 : int(std::lround(pixels / ratio)); };
    return QCursor(pixmap, logical(hotspot.x()), logical(hotspot.y()));
}

} // namespace tallymere
