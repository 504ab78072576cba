#pragma once

#include <optional>
#include <vector>

#include <QCursor>
#include <QPointer>
#include <QString>

class QWidget;

namespace tallymere {

/// The pointer of one window: a shape (0 default, 11 hourglass, 99 the window's custom image)
/// and the custom image, if one was loaded. Setting a shape changes only this window's pointer:
/// the default and the custom shape show wherever a control of the window has no pointer of its
/// own (a text field keeps its text pointer), the hourglass shows over every control.
class WindowPointer
{
public:
    explicit WindowPointer(QWidget *window) : m_window(window) {}

    int shape() const noexcept { return m_shape; }
    void setShape(int shape);

    /// MouseIcon: the image shown for shape 99; without one, shape 99 shows the ordinary arrow.
    void setCustomImage(const QCursor &image);
    bool hasCustomImage() const noexcept { return m_custom.has_value(); }
    const std::optional<QCursor> &customImage() const noexcept { return m_custom; }

private:
    struct CoveredControl {
        QPointer<QWidget> control;
        QCursor own;
    };

    void show();
    void coverControls();
    void uncoverControls();

    QWidget *m_window;
    int m_shape = 0;
    std::optional<QCursor> m_custom;
    /// The controls with a pointer of their own that the hourglass covers, with that pointer.
    std::vector<CoveredControl> m_covered;
};

/// Reads a pointer file (a Windows .cur file, or any image Qt reads) into a pointer image,
/// keeping the hotspot the file gives. The pointer is as large as the file's smallest image on a
/// screen at 100%, and that many times larger for a window of `devicePixelRatio`; it is made
/// from the smallest image in the file that is as large, so a file that holds larger images
/// stays sharp there. Throws tallymere::Error when the file cannot be read.
QCursor loadPointerFile(const QString &path, qreal devicePixelRatio = 1.0);

} // namespace tallymere
