#include "app/pointer.h"

#include <QFile>
#include <QImage>
#include <QPixmap>
#include <QWidget>

#include "errors/error.h"
#include "ledger/modexpense.h"

namespace tallymere {

void WindowPointer::setShape(int shape)
{
    m_shape = shape;
    switch (shape) {
    case vbHourglass:
        m_window->setCursor(Qt::WaitCursor);
        break;
    case vbCustom:
        m_window->setCursor(m_custom ? *m_custom : QCursor(Qt::ArrowCursor));
        break;
    default:
        m_window->unsetCursor();
        break;
    }
}

void WindowPointer::setCustomImage(const QCursor &image)
{
    m_custom = image;
    if (m_shape == vbCustom)
        m_window->setCursor(image);
}

QCursor loadPointerFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw Error(QStringLiteral("The pointer file %1 could not be read: %2").arg(path, file.errorString()));
    const QByteArray bytes = file.readAll();

    // A .cur file is an icon directory whose first entry carries the hotspot (bytes 10 to 13).
    const auto u16 = [&bytes](int at) {
        return int(quint8(bytes.at(at))) | (int(quint8(bytes.at(at + 1))) << 8);
    };
    const bool isCursorFile = bytes.size() >= 22 && u16(0) == 0 && u16(2) == 2 && u16(4) >= 1;

    QImage image;
    if (!image.loadFromData(bytes, isCursorFile ? "CUR" : nullptr) && !image.loadFromData(bytes))
        throw Error(QStringLiteral("The pointer file %1 is not an image.").arg(path));
    const int hotX = isCursorFile ? u16(10) : -1;
    const int hotY = isCursorFile ? u16(12) : -1;
    return QCursor(QPixmap::fromImage(image), hotX, hotY);
}

} // namespace tallymere
