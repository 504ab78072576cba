#pragma once

#include <array>

#include <QLabel>
#include <QLineEdit>
#include <QWidget>

#include "ui/controls/calendar.h"
#include "ui/controls/pushbutton.h"

namespace tallymere {

/// The controls of the entry editor. Field i (1 to 4: date, source or category, amount,
/// particulars) is the label `Label1[i]` beside the text box `Text1[i]`; `Text1[0]` does not
/// exist, and `Label1[0]` and `Text111[0]` lie below the visible part of the window.
struct Form2Layout {
    std::array<QLineEdit *, 5> Text1 = {};
    std::array<QLineEdit *, 1> Text111 = {};
    std::array<QLabel *, 5> Label1 = {};
    Calendar *Calendar1 = nullptr;
    PushButton *PushButton1 = nullptr;
    PushButton *PushButton2 = nullptr;

    /// Dresses `window` as the entry editor and creates its controls in it.
    static Form2Layout build(QWidget *window);
};

} // namespace tallymere
