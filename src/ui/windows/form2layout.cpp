#include "ui/windows/form2layout.h"

#include "ui/windows/layout.h"

namespace tallymere {

namespace {

constexpr WindowRow form2Window = {"Form2", "Form2", 8040, 4875};

// The calendar across the top, the four fields with their labels below it, "Save" and
// "Cancel" at the bottom; "SR No:" and its box sit below the bottom edge, out of sight.
std::span<const ControlRow> form2Controls()
{
    using enum ControlKind;
    static constexpr ControlRow rows[] = {
        // name          kind         container caption           left    top  width height  tab
        {"Text111(0)",   TextBox,     nullptr,  "",                840,  4860,  2280,   375,  10},
        {"Text1(4)",     TextBox,     nullptr,  "",               1320,  3900,  6600,   375,   7},
        {"Text1(3)",     TextBox,     nullptr,  "",               1320,  3420,  6600,   375,   6},
        {"Text1(2)",     TextBox,     nullptr,  "",               1320,  2940,  6600,   375,   5},
        {"Text1(1)",     TextBox,     nullptr,  "",               1320,  2460,  6600,   375,   4},
        {"PushButton1",  PushButton,  nullptr,  "Save",            120,  4380,  3840,   405,   8},
        {"PushButton2",  PushButton,  nullptr,  "Cancel",         4080,  4380,  3840,   405,   9},
        {"Calendar1",    Calendar,    nullptr,  nullptr,           120,    30,  7800,  2415,  12},
        {"Label1(0)",    Label,       nullptr,  "SR No:",          120,  4920,   555,   225,  11},
        {"Label1(4)",    Label,       nullptr,  "Particulars:",    240,  3960,   990,   225,   3},
        {"Label1(3)",    Label,       nullptr,  "Amount:",         240,  3480,   705,   225,   2},
        {"Label1(2)",    Label,       nullptr,  "Source/Cate:",    240,  3000,  1095,   225,   1},
        {"Label1(1)",    Label,       nullptr,  "Date:",           240,  2520,   435,   225,   0},
    };
    return rows;
}

} // namespace

Form2Layout Form2Layout::build(QWidget *window)
{
    setUpWindow(window, form2Window);
    const LayoutControls controls = buildControls(window, form2Controls());

    Form2Layout layout;
    for (int i = 1; i <= 4; ++i)
        layout.Text1[i] = controls.get<QLineEdit>(QStringLiteral("Text1(%1)").arg(i));
    layout.Text111[0] = controls.get<QLineEdit>("Text111(0)");
    for (int i = 0; i <= 4; ++i)
        layout.Label1[i] = controls.get<QLabel>(QStringLiteral("Label1(%1)").arg(i));
    layout.Calendar1 = controls.get<Calendar>("Calendar1");
    layout.PushButton1 = controls.get<PushButton>("PushButton1");
    layout.PushButton2 = controls.get<PushButton>("PushButton2");

    setTextColour(layout.Label1[0], 0x8000000A);
    setTextColour(layout.Label1[1], 0x00000000);
    return layout;
}

} // namespace tallymere
