#include "ui/controls/pointerfeedback.h"

#include <QEvent>
#include <QMouseEvent>
#include <QWidget>

#include "ui/controls/pointer.h"
#include "ui/controls/listview.h"
#include "ui/controls/pushbutton.h"
#include "core/platform/pointershape.h"

namespace tallymere {
namespace {

/// Runs the default-shape pointer procedure for every move of the mouse that reaches the
/// widgets it watches.
class MoveWatcher : public QObject
{
public:
    /// `partsCount` is true for the parts of a list, where every move counts; on a plain surface
    /// only the moves over the surface itself count.
    MoveWatcher(WindowPointer &pointer, bool partsCount, QObject *parent)
        : QObject(parent), m_pointer(pointer), m_partsCount(partsCount)
    {
    }

    void watch(QWidget *widget)
    {
        // Moves without a mouse button held reach only widgets that track the mouse.
        widget->setMouseTracking(true);
        widget->installEventFilter(this);
    }

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() != QEvent::MouseMove)
            return false;
        // A move that a control inside the surface leaves unhandled (a push button does) is
        // passed on to the surface, but it happened over that control, not over the surface.
        const auto *surface = static_cast<QWidget *>(watched);
        const QPoint at = static_cast<QMouseEvent *>(event)->position().toPoint();
        if (m_partsCount || !surface->childAt(at))
            pointerMoved(m_pointer, PointerShape::Default);
        return false;
    }

private:
    WindowPointer &m_pointer;
    bool m_partsCount;
};

} // namespace

void pointerMoved(WindowPointer &pointer, int shape)
{
    if (pointer.shape() == PointerShape::Hourglass)
        return;
    pointer.setShape(shape);
}

void connectPointerProcedures(WindowPointer &pointer, std::initializer_list<PushButton *> buttons,
                              std::initializer_list<QWidget *> surfaces,
                              std::initializer_list<ListView *> lists)
{
    for (PushButton *button : buttons)
        QObject::connect(button, &PushButton::mouseMoved, button, [&pointer] { pointerMoved(pointer, PointerShape::Custom); });

    for (QWidget *surface : surfaces)
        (new MoveWatcher(pointer, false, surface))->watch(surface);

    for (ListView *list : lists) {
        QObject::connect(list, &ListView::mouseMoved, list, [&pointer] { pointerMoved(pointer, PointerShape::Default); });
        // The rows report through the list's own notification; the header and the scroll bars
        // are parts of the list as well.
        auto *parts = new MoveWatcher(pointer, true, list);
        for (QWidget *part : list->findChildren<QWidget *>()) {
            if (part != list->viewport())
                parts->watch(part);
        }
    }
}

} // namespace tallymere
