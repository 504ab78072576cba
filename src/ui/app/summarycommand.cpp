// The main window's way into the monthly summary.

#include "ui/app/form1.h"

#include "core/errors/errorreport.h"

namespace tallymere {

void Form1::showMonthlySummary()
{
    ErrorHandler on(QStringLiteral("in Coinfold2021/08/31.Form1.showMonthlySummary "));
    on.step(100, [&] {
        // One summary: an open one just comes to the front.
        m_summary.showInFront([this] { return new MonthlySummary(m_ledger, this); },
                              [this](MonthlySummary *window) {
                                  connect(this, &Form1::totalsShown, window, &MonthlySummary::scheduleRefresh);
                              });
    });
}

} // namespace tallymere
