#include "ui/windows/form1layout.h"

#include "ui/windows/layout.h"

namespace tallymere {

namespace {

constexpr WindowRow form1Window = {"Form1", "Form1", 8040, 7920};

// Read from the top: "Help" and "Change Date Format" side by side, the "Income" frame, the
// "Expense" frame laid out the same way, and the "Report" frame with the three totals.
std::span<const ControlRow> form1Controls()
{
    using enum ControlKind;
    static constexpr ControlRow rows[] = {
        // name                  kind         container  caption                         left    top  width height          tab
        {"PushButton9",          PushButton,  nullptr,   "Help",                          120,   120,  3840,   405,          16},
        {"Frame3",               Frame,       nullptr,   "Expense",                       120,  3810,  7800,  3165,          10},
        {"ListView2",            ListView,    "Frame3",  nullptr,                         240,   300,  7320,  1680,          11},
        {"PushButton7",          PushButton,  "Frame3",  "Add Expense Entry",             240,  2070,  3600,   405,          12},
        {"PushButton6",          PushButton,  "Frame3",  "Update Selected Entry",        3960,  2070,  3600,   405,          13},
        {"PushButton8",          PushButton,  "Frame3",  "Delete Selected Entry",         240,  2580,  3600,   405,          14},
        {"PushButton5",          PushButton,  "Frame3",  "Send Expense Data To Excel",   3960,  2580,  3600,   405,          15},
        {"Frame2",               Frame,       nullptr,   "Income",                        120,   570,  7800,  3165,           4},
        {"ListView1",            ListView,    "Frame2",  nullptr,                         240,   300,  7320,  1680,           5},
        {"PushButton1",          PushButton,  "Frame2",  "Add Income Entry",              240,  2070,  3600,   405,           6},
        {"PushButton2",          PushButton,  "Frame2",  "Update Selected Entry",        3960,  2070,  3600,   405,           7},
        {"PushButton3",          PushButton,  "Frame2",  "Delete Selected Entry",         240,  2580,  3600,   405,           8},
        {"PushButton4",          PushButton,  "Frame2",  "Send Income Data To Excel",    3960,  2580,  3600,   405,           9},
        {"Frame1",               Frame,       nullptr,   "Report",                        120,  7050,  7800,   720,           0},
        {"lblAvailableBalance",  Label,       "Frame1",  "Available Balance:",           5145,   300,  1545,   225,           3},
        {"lblTotalExpenses",     Label,       "Frame1",  "Total Expenses:",              2595,   300,  1350,   225,           2},
        {"lblTotalIncome",       Label,       "Frame1",  "Total Income:",                 315,   300,  1140,   225,           1},
        {"PushButton10",         PushButton,  nullptr,   "Change Date Format",           4080,   120,  3840,   405,          17},
        {"SkinFramework1",       SkinEngine,  nullptr,   nullptr,                           0,     0,     0,     0,  noTabIndex},
    };
    return rows;
}

} // namespace

Form1Layout Form1Layout::build(QWidget *window)
{
    setUpWindow(window, form1Window);
    const LayoutControls controls = buildControls(window, form1Controls());

    Form1Layout layout;
    layout.PushButton1 = controls.get<PushButton>("PushButton1");
    layout.PushButton2 = controls.get<PushButton>("PushButton2");
    layout.PushButton3 = controls.get<PushButton>("PushButton3");
    layout.PushButton4 = controls.get<PushButton>("PushButton4");
    layout.PushButton5 = controls.get<PushButton>("PushButton5");
    layout.PushButton6 = controls.get<PushButton>("PushButton6");
    layout.PushButton7 = controls.get<PushButton>("PushButton7");
    layout.PushButton8 = controls.get<PushButton>("PushButton8");
    layout.PushButton9 = controls.get<PushButton>("PushButton9");
    layout.PushButton10 = controls.get<PushButton>("PushButton10");
    layout.Frame1 = controls.get<QGroupBox>("Frame1");
    layout.Frame2 = controls.get<QGroupBox>("Frame2");
    layout.Frame3 = controls.get<QGroupBox>("Frame3");
    layout.ListView1 = controls.get<ListView>("ListView1");
    layout.ListView2 = controls.get<ListView>("ListView2");
    layout.lblTotalIncome = controls.get<QLabel>("lblTotalIncome");
    layout.lblTotalExpenses = controls.get<QLabel>("lblTotalExpenses");
    layout.lblAvailableBalance = controls.get<QLabel>("lblAvailableBalance");
    layout.SkinFramework1 = controls.get<SkinFramework>("SkinFramework1");

    const QString listTip =
        QStringLiteral("Move | line to right and out of window to reveal full names.");
    layout.ListView1->setToolTip(listTip);
    layout.ListView2->setToolTip(listTip);
    return layout;
}

} // namespace tallymere
