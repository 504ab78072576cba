#include "entries/forms.h"

#include <QEvent>

#include "entries/form2.h"
#include "windows/singlewindow.h"

namespace tallymere {
namespace {

SingleWindow<Form2> g_form2;

/// Closes the editor when its owner window is closed or hidden by the program; a hide that the
/// window system makes (minimising) leaves it alone.
class CloseWithOwner : public QObject
{
public:
    explicit CloseWithOwner(Form2 *editor) : QObject(editor), m_editor(editor) {}

    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Hide && !event->spontaneous() && m_editor->isVisible())
            m_editor->close();
        return false;
    }

private:
    Form2 *m_editor;
};

} // namespace

Form2 &form2(QWidget *owner)
{
    return g_form2.get(owner, [owner](Form2 *editor) {
        if (owner)
            owner->installEventFilter(new CloseWithOwner(editor));
    });
}

Form2 *openForm2() noexcept
{
    return g_form2.open();
}

} // namespace tallymere
