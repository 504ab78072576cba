#pragma once

#include <QWidget>

#include "ui/controls/pointer.h"
#include "ui/windows/form3layout.h"
#include "ui/windows/modelesswindow.h"

namespace tallymere {

class Ledger;

/// The date format dialog: month-first ("mm/dd/yyyy") or day-first ("dd/mm/yyyy (European)")
/// dates in the entry editor. Only OK stores the choice (EuropeanDate "False" or "True") and
/// refreshes the main window's lists and totals; any other close stores nothing. It is shown
/// modeless, and a closed dialog is destroyed (the main window keeps at most one).
class Form3 : public ModelessWindow
{
    Q_OBJECT

public:
    /// Builds the window from its layout over the ledger whose lists it refreshes; Form_Load has
    /// not run yet. A dialog owned by `parent`, so it goes with it.
    Form3(Ledger &ledger, QWidget *parent = nullptr);
    ~Form3() override;

    const Form3Layout &ui() const noexcept { return m_ui; }
    WindowPointer &pointer() noexcept { return m_pointer; }

    /// Colours, icon, pointer image and caption; selects the stored date order.
    void Form_Load();
    /// OK: stores the selected order, refreshes both lists and the totals, closes the dialog.
    void PushButton3_Click();

signals:
    /// OK changed the stored date order from day-first (`fromDayFirst`) or month-first to the
    /// other.
    void dateOrderChanged(bool fromDayFirst, bool toDayFirst);

protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    Ledger &m_ledger;
    Form3Layout m_ui;
    WindowPointer m_pointer;
};

} // namespace tallymere
