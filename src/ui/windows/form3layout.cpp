#include "ui/windows/form3layout.h"

#include "ui/windows/layout.h"

namespace tallymere {

namespace {

constexpr WindowRow form3Window = {"Form3", "Form3", 8040, 1080};

// The two date orders side by side above a full-width "OK".
std::span<const ControlRow> form3Controls()
{
    using enum ControlKind;
    static constexpr ControlRow rows[] = {
        // name          kind           container caption                    left   top  width  height  tab
        {"Option2",      OptionButton,  nullptr,  "dd/mm/yyyy (European)",   4200,   90,  2415,    405,   1},
        {"Option1",      OptionButton,  nullptr,  "mm/dd/yyyy",               120,   90,  1575,    405,   0},
        {"PushButton3",  PushButton,    nullptr,  "OK",                       120,  600,  7800,    405,   2},
    };
    return rows;
}

} // namespace

Form3Layout Form3Layout::build(QWidget *window)
{
    setUpWindow(window, form3Window);
    const LayoutControls controls = buildControls(window, form3Controls());

    Form3Layout layout;
    layout.Option1 = controls.get<QRadioButton>("Option1");
    layout.Option2 = controls.get<QRadioButton>("Option2");
    layout.PushButton3 = controls.get<PushButton>("PushButton3");
    return layout;
}

} // namespace tallymere
