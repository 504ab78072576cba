#pragma once

class QWidget;

namespace tallymere {

class Form2;

/// The one entry editor. The first access while none is open creates it (a top-level window
/// owned by `owner` when one is given, so it goes with the main window) and runs its load
/// step; later accesses return the same editor until it is closed.
Form2 &form2(QWidget *owner = nullptr);

/// The editor that is open now, or null.
Form2 *openForm2() noexcept;

} // namespace tallymere
