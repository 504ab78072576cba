#include "entries/forms.h"

#include <QEvent>
#include <QPointer>

#include "entries/form2.h"

namespace tallymere {
namespace {

QPointer<Form2> g_form2;

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
    if (!g_form2) {
        auto *editor = new Form2(owner);
        g_form2 = editor;
        // A closed editor is gone: the next access makes a fresh one. It is deleted only once
        // the procedure that closed it has returned.
        QObject::connect(editor, &Form2::closed, editor, [editor] {
            if (g_form2 == editor)
                g_form2 = nullptr;
            editor->deleteLater();
        });
        if (owner)
            owner->installEventFilter(new CloseWithOwner(editor));
        editor->Form_Load();
    }
    return *g_form2;
}

Form2 *openForm2() noexcept
{
    return g_form2.data();
}

} // namespace tallymere
