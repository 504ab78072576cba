#include "controls/pointer.h"

#include <QFile>
#include <QImage>
#include <QPixmap>
#include <QWidget>

#include "errors/error.h"
#include "platform/pointershape.h"

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
    if (m_shape == vbCustom)
        show();
}

void WindowPointer::show()
{
    if (m_shape == vbHourglass) {
        m_window->setCursor(Qt::WaitCursor);
        coverControls();
        return;
    }
    uncoverControls();
    if (m_shape == vbCustom)
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
