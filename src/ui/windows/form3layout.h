#pragma once

#include <QRadioButton>
#include <QWidget>

#include "ui/controls/pushbutton.h"

namespace tallymere {

/// The controls of the date format dialog: the two date orders, one of which is selected, and
/// "OK".
struct Form3Layout {
    QRadioButton *Option1 = nullptr;
    QRadioButton *Option2 = nullptr;
    PushButton *PushButton3 = nullptr;

    /// Dresses `window` as the date format dialog and creates its controls in it.
    static Form3Layout build(QWidget *window);
};

} // namespace tallymere
