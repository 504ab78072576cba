#pragma once

#include <QWidget>

#include "app/pointer.h"
#include "windows/form3layout.h"

namespace tallymere {

/// The date format dialog: month-first ("mm/dd/yyyy") or day-first ("dd/mm/yyyy (European)")
/// dates in the entry editor. Only OK stores the choice (EuropeanDate "False" or "True") and
/// refreshes the main window's lists and totals; any other close stores nothing. It is shown
/// modeless, and a closed dialog is destroyed (see form3()).
class Form3 : public QWidget
{
    Q_OBJECT

public:
    /// Builds the window from its layout; Form_Load has not run yet.
    explicit Form3(QWidget *parent = nullptr);
    ~Form3() override;

    const Form3Layout &ui() const noexcept { return m_ui; }
    WindowPointer &pointer() noexcept { return m_pointer; }

    /// Colours, icon, pointer image and caption; selects the stored date order.
    void Form_Load();
    /// OK: stores the selected order, refreshes both lists and the totals, closes the dialog.
    void PushButton3_Click();

signals:
    /// The window begins to close.
    void closing();
    /// The window has closed.
    void closed();
    /// OK changed the stored date order from day-first (`fromDayFirst`) or month-first to the
    /// other.
    void dateOrderChanged(bool fromDayFirst, bool toDayFirst);

protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    Form3Layout m_ui;
    WindowPointer m_pointer;
};

/// The one date format dialog. The first access while none is open creates it (a top-level
/// window owned by `owner` when one is given, so it goes with the main window) and runs its load
/// step; later accesses return the same dialog, not loaded again, until it is closed.
Form3 &form3(QWidget *owner = nullptr);

/// The dialog that is open now, or null.
Form3 *openForm3() noexcept;

} // namespace tallymere
