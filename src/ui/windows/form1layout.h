#pragma once

#include <QGroupBox>
#include <QLabel>
#include <QWidget>

#include "ui/controls/listview.h"
#include "ui/controls/pushbutton.h"
#include "ui/controls/skin.h"

namespace tallymere {

/// The controls of the main window.
struct Form1Layout {
    PushButton *PushButton1 = nullptr;
    PushButton *PushButton2 = nullptr;
    PushButton *PushButton3 = nullptr;
    PushButton *PushButton4 = nullptr;
    PushButton *PushButton5 = nullptr;
    PushButton *PushButton6 = nullptr;
    PushButton *PushButton7 = nullptr;
    PushButton *PushButton8 = nullptr;
    PushButton *PushButton9 = nullptr;
    PushButton *PushButton10 = nullptr;
    QGroupBox *Frame1 = nullptr;
    QGroupBox *Frame2 = nullptr;
    QGroupBox *Frame3 = nullptr;
    ListView *ListView1 = nullptr;
    ListView *ListView2 = nullptr;
    QLabel *lblTotalIncome = nullptr;
    QLabel *lblTotalExpenses = nullptr;
    QLabel *lblAvailableBalance = nullptr;
    SkinFramework *SkinFramework1 = nullptr;

    /// Dresses `window` as the main window and creates its controls in it.
    static Form1Layout build(QWidget *window);
};

} // namespace tallymere
