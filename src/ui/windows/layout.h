#pragma once

#include <cstdint>
#include <span>

#include <QColor>
#include <QHash>
#include <QObject>
#include <QRect>
#include <QString>

class QLabel;
class QWidget;

namespace tallymere {

/// A rectangle given in twips (1/1440 inch), in pixels at the logical resolution of `widget`'s
/// screen; lengths in a layout are twips.
QRect twipsRect(const QWidget *widget, int left, int top, int width, int height);

/// A colour as a layout stores it: 0x00BBGGRR for a fixed colour, 0x800000nn for colour nn of
/// the desktop's scheme (0x8000000F the button face, 0x80000012 the button text), which is
/// taken from the application palette.
QColor layoutColour(std::uint32_t value);

/// The colour value of the desktop's button face.
inline constexpr std::uint32_t buttonFaceColour = 0x8000000F;

/// The kinds of control a layout holds.
enum class ControlKind {
    Label,        ///< QLabel
    TextBox,      ///< QLineEdit
    Frame,        ///< QGroupBox, a captioned container
    OptionButton, ///< QRadioButton
    PushButton,   ///< PushButton
    ListView,     ///< ListView
    Calendar,     ///< Calendar
    SkinEngine,   ///< SkinFramework, not visible
};

/// Marks a control that has no place in the keyboard focus order.
inline constexpr int noTabIndex = -1;

/// One control of a layout. Geometry is in twips from the top-left corner of the container:
/// the window (no container) or a frame created earlier in the same layout.
struct ControlRow {
    const char *name;
    ControlKind kind;
    const char *container;
    const char *caption;
    int left;
    int top;
    int width;
    int height;
    int tabIndex;
};

/// The properties a layout gives its window.
struct WindowRow {
    const char *name;
    const char *caption;
    int clientWidth;
    int clientHeight;
};

/// The controls a layout created, found by name.
class LayoutControls
{
public:
    /// The control called `name`, which must exist and be of type T.
    template<class T>
    T *get(const QString &name) const
    {
        T *control = qobject_cast<T *>(m_byName.value(name));
        Q_ASSERT_X(control, "LayoutControls::get", qPrintable(name));
        return control;
    }

    void add(QObject *control) { m_byName.insert(control->objectName(), control); }

private:
    QHash<QString, QObject *> m_byName;
};

/// Dresses `window` as every window of the program is dressed: its name and stored caption, a
/// fixed client size, a white background, Arial 9 pt bold and the layout's transparent icon; it
/// is centred on the screen when it is first shown.
void setUpWindow(QWidget *window, const WindowRow &properties);

/// Creates the controls of `rows` in `window`, in the order given, with their names, captions
/// and geometry, and sets the window's keyboard focus order by tab index (labels and frames hold
/// a place in it but never take the focus). Labels, frames and option buttons get a white
/// background; a label too narrow for its caption is widened (fitLabelToCaption).
LayoutControls buildControls(QWidget *window, std::span<const ControlRow> rows);

/// Widens `label` to the right when its caption needs more room than it has, as a label sized
/// to its caption does; it never becomes narrower. Captions set at run time need this too.
void fitLabelToCaption(QLabel *label);

/// Sets the text colour of a control (a colour value as layoutColour() reads it).
void setTextColour(QWidget *control, std::uint32_t value);

/// Gives `window` and each of its option buttons, check boxes, frames and labels the desktop's
/// button-face colour as background.
void setButtonFaceColour(QWidget *window);

/// Moves `window` so that it sits in the middle of the available area of its screen.
void centreOnScreen(QWidget *window);

} // namespace tallymere
