#include "ui/windows/layout.h"

#include <algorithm>
#include <array>
#include <vector>

#include <QApplication>
#include <QCheckBox>
#include <QEvent>
#include <QFont>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QRadioButton>
#include <QScreen>
#include <QWidget>

#include "ui/controls/calendar.h"
#include "ui/controls/listview.h"
#include "ui/controls/pushbutton.h"
#include "ui/controls/skin.h"
#include "ui/desktop/twips.h"
#include "ui/windows/icons.h"

namespace tallymere {

namespace {

/// Centres its window the first time the window is shown, then goes away.
class CentreOnFirstShow : public QObject
{
public:
    using QObject::QObject;

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Show) {
            centreOnScreen(static_cast<QWidget *>(watched));
            watched->removeEventFilter(this);
            deleteLater();
        }
        return false;
    }
};

void setBackground(QWidget *widget, const QColor &colour)
{
    // Buttons, option buttons among them, fill their background from the button role.
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, colour);
    palette.setColor(widget->backgroundRole(), colour);
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

bool takesFocus(ControlKind kind)
{
    return kind != ControlKind::Label && kind != ControlKind::Frame
        && kind != ControlKind::SkinEngine;
}

QObject *createControl(const ControlRow &row, QWidget *container)
{
    const QString caption = QString::fromUtf8(row.caption ? row.caption : "");
    switch (row.kind) {
    case ControlKind::Label: {
        auto *label = new QLabel(caption, container);
        setBackground(label, Qt::white);
        // A label is painted on its container's surface, beneath every other control.
        label->lower();
        return label;
    }
    case ControlKind::TextBox:
        return new QLineEdit(caption, container);
    case ControlKind::Frame: {
        auto *frame = new QGroupBox(caption, container);
        setBackground(frame, Qt::white);
        return frame;
    }
    case ControlKind::OptionButton: {
        auto *option = new QRadioButton(caption, container);
        setBackground(option, Qt::white);
        return option;
    }
    case ControlKind::PushButton: {
        auto *button = new PushButton(container);
        button->setText(caption);
        return button;
    }
    case ControlKind::ListView:
        return new ListView(container);
    case ControlKind::Calendar:
        return new Calendar(container);
    case ControlKind::SkinEngine:
        return new SkinFramework(container);
    }
    return nullptr;
}

/// Whether `widget` is one of the window's own controls (on the window or in one of its frames)
/// rather than a part of a composite control.
bool isWindowControl(const QWidget *widget, const QWidget *window)
{
    for (const QWidget *parent = widget->parentWidget(); parent != window;
         parent = parent->parentWidget()) {
        if (!parent || !qobject_cast<const QGroupBox *>(parent))
            return false;
    }
    return true;
}

} // namespace

QRect twipsRect(const QWidget *widget, int left, int top, int width, int height)
{
    return QRect(twipsToPixels(left, widget), twipsToPixels(top, widget),
                 twipsToPixels(width, widget), twipsToPixels(height, widget));
}

QColor layoutColour(std::uint32_t value)
{
    if ((value & 0x80000000u) == 0)
        return QColor(int(value & 0xFF), int((value >> 8) & 0xFF), int((value >> 16) & 0xFF));

    // The desktop scheme's colours by number, each as the nearest role of a Qt palette.
    static constexpr std::array<QPalette::ColorRole, 25> schemeRoles = {
        QPalette::Button,          // 0 scroll bar
        QPalette::Dark,            // 1 desktop
        QPalette::Highlight,       // 2 active title bar
        QPalette::Mid,             // 3 inactive title bar
        QPalette::Window,          // 4 menu
        QPalette::Base,            // 5 window
        QPalette::Shadow,          // 6 window frame
        QPalette::WindowText,      // 7 menu text
        QPalette::Text,            // 8 window text
        QPalette::HighlightedText, // 9 title bar text
        QPalette::Mid,             // 10 active border
        QPalette::Midlight,        // 11 inactive border
        QPalette::Dark,            // 12 application workspace
        QPalette::Highlight,       // 13 selection
        QPalette::HighlightedText, // 14 selected text
        QPalette::Button,          // 15 button face
        QPalette::Dark,            // 16 button shadow
        QPalette::PlaceholderText, // 17 grey text
        QPalette::ButtonText,      // 18 button text
        QPalette::WindowText,      // 19 inactive title bar text
        QPalette::Light,           // 20 button highlight
        QPalette::Shadow,          // 21 dark 3D shadow
        QPalette::Midlight,        // 22 light 3D
        QPalette::ToolTipText,     // 23 tool tip text
        QPalette::ToolTipBase,     // 24 tool tip background
    };
    const std::uint32_t index = value & 0xFFu;
    const QPalette palette = QApplication::palette();
    if (index >= schemeRoles.size())
        return palette.color(QPalette::WindowText);
    return palette.color(schemeRoles[index]);
}

void setUpWindow(QWidget *window, const WindowRow &properties)
{
    window->setObjectName(QString::fromUtf8(properties.name));
    window->setWindowTitle(QString::fromUtf8(properties.caption));
    window->setFixedSize(twipsToPixels(properties.clientWidth, window),
                         twipsToPixels(properties.clientHeight, window));

    QPalette palette = window->palette();
    palette.setColor(QPalette::Window, Qt::white);
    window->setPalette(palette);

    QFont font(QStringLiteral("Arial"));
    font.setPointSize(9);
    font.setBold(true);
    window->setFont(font);

    window->setWindowIcon(layoutIcon());
    window->installEventFilter(new CentreOnFirstShow(window));
}

LayoutControls buildControls(QWidget *window, std::span<const ControlRow> rows)
{
    LayoutControls controls;
    struct FocusPlace {
        int tabIndex;
        QWidget *control;
    };
    std::vector<FocusPlace> focusOrder;

    for (const ControlRow &row : rows) {
        QWidget *container = row.container ? controls.get<QGroupBox>(row.container) : window;
        QObject *control = createControl(row, container);
        control->setObjectName(QString::fromUtf8(row.name));
        controls.add(control);

        auto *widget = qobject_cast<QWidget *>(control);
        if (!widget)
            continue;
        widget->setGeometry(twipsRect(window, row.left, row.top, row.width, row.height));
        // Labels are as wide as their captions; one that renders a pixel wider with the fonts
        // at hand must not lose its last letter.
        if (auto *label = qobject_cast<QLabel *>(widget))
            fitLabelToCaption(label);
        if (row.tabIndex != noTabIndex && takesFocus(row.kind))
            focusOrder.push_back({row.tabIndex, widget});
    }

    std::stable_sort(focusOrder.begin(), focusOrder.end(),
                     [](const FocusPlace &a, const FocusPlace &b) { return a.tabIndex < b.tabIndex; });
    for (std::size_t i = 1; i < focusOrder.size(); ++i)
        QWidget::setTabOrder(focusOrder[i - 1].control, focusOrder[i].control);

    return controls;
}

void fitLabelToCaption(QLabel *label)
{
    const int needed = label->sizeHint().width();
    if (needed > label->width())
        label->resize(needed, label->height());
}

void setTextColour(QWidget *control, std::uint32_t value)
{
    QPalette palette = control->palette();
    palette.setColor(QPalette::WindowText, layoutColour(value));
    control->setPalette(palette);
}

void setButtonFaceColour(QWidget *window)
{
    const QColor buttonFace = layoutColour(buttonFaceColour);
    setBackground(window, buttonFace);
    for (QWidget *child : window->findChildren<QWidget *>()) {
        const bool coloured = qobject_cast<QRadioButton *>(child) || qobject_cast<QCheckBox *>(child)
            || qobject_cast<QGroupBox *>(child) || qobject_cast<QLabel *>(child);
        if (coloured && isWindowControl(child, window))
            setBackground(child, buttonFace);
    }
}

void centreOnScreen(QWidget *window)
{
    const QScreen *screen = window->screen();
    if (!screen)
        return;
    QRect frame = window->frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    window->move(frame.topLeft());
}

} // namespace tallymere
