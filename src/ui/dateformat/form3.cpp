#include "ui/dateformat/form3.h"

#include <optional>

#include <QCloseEvent>
#include <QKeySequence>
#include <QRadioButton>
#include <QShortcut>

#include "ui/windows/mainmodule.h"
#include "ui/controls/pointerfeedback.h"
#include "ui/controls/pushbutton.h"
#include "core/errors/errorreport.h"
#include "core/ledger/ledger.h"
#include "core/ledger/modexpense.h"
#include "core/platform/pointershape.h"
#include "core/platform/program.h"
#include "core/settings/settings.h"
#include "ui/windows/icons.h"

namespace tallymere {
namespace {

void saveEuropeanDate(const QString &value)
{
    settings::SaveSetting(QLatin1String(settings::kAppName), QLatin1String(settings::kSection),
                          QLatin1String(settings::kEuropeanDate), value);
}

/// The stored date order (true: day-first), or nothing when the store cannot be read.
std::optional<bool> storedOrder() noexcept
{
    try {
        return settings::europeanDate();
    } catch (...) {
        return std::nullopt;
    }
}

} // namespace

Form3::Form3(Ledger &ledger, QWidget *parent)
    : ModelessWindow(parent, Qt::Dialog), m_ledger(ledger), m_ui(Form3Layout::build(this)), m_pointer(this)
{
    connect(m_ui.PushButton3, &QPushButton::clicked, this, &Form3::PushButton3_Click);

    // Enter presses OK, wherever the focus is in the dialog.
    m_ui.PushButton3->setDefault(true);
    for (const int key : {Qt::Key_Return, Qt::Key_Enter}) {
        auto *enter = new QShortcut(QKeySequence(key), this);
        connect(enter, &QShortcut::activated, m_ui.PushButton3, &QPushButton::click);
    }

    // Escape closes the dialog as its close button does: nothing is stored.
    auto *escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, this, &QWidget::close);

    // The hand over OK is the dialog's only pointer procedure. Once the mouse leaves OK the
    // ordinary pointer returns, so the hand never lingers over the options.
    connectPointerProcedures(m_pointer, {m_ui.PushButton3}, {});
    m_ui.PushButton3->installEventFilter(this);
}

Form3::~Form3() = default;

void Form3::Form_Load()
{
    ErrorHandler on(QStringLiteral("in Coinfold2021/08/31.Form3.Form_Load "));
    const QString pointerFile = platform::programFolder() + QStringLiteral("/HAND-M.CUR");

    on.step(100, [&] { Main::applySystemColors(this); });
    on.step(102, [&] { setWindowIcon(programIcon()); });
    if (on.test(106, [&] { return Main::fileExists(pointerFile); }))
        on.step(108, [&] { m_pointer.setCustomImage(loadPointerFile(pointerFile, devicePixelRatioF())); });
    on.step(110, [&] { setWindowTitle(QStringLiteral("Date Format")); });
    if (on.test(112, [] { return settings::europeanDate(); }))
        on.step(114, [&] { m_ui.Option2->setChecked(true); });
    else
        on.step(116, [&] { m_ui.Option1->setChecked(true); });
}

void Form3::PushButton3_Click()
{
    ErrorHandler on(QStringLiteral("in Coinfold2021/08/31.Form3.PushButton3_Click "));
    const std::optional<bool> before = storedOrder();
    if (on.test(100, [&] { return m_ui.Option1->isChecked(); }))
        on.step(102, [] { saveEuropeanDate(QStringLiteral("False")); });
    else
        on.step(104, [] { saveEuropeanDate(QStringLiteral("True")); });
    // An open entry editor holds a date written in the old order; it is told before anything
    // else can read that date in the new one.
    if (const std::optional<bool> after = storedOrder(); before && after && *before != *after)
        emit dateOrderChanged(*before, *after);
    // Both lists are read whole again, in case anything of them depends on the order.
    m_ledger.requireFullRefill();
    on.step(106, [&] { modExpense::listIncome(m_ledger); });
    on.step(108, [&] { modExpense::listExpenses(m_ledger); });
    on.step(110, [&] { modExpense::showTotals(m_ledger); });
    on.step(112, [&] { close(); });
}

void Form3::closeEvent(QCloseEvent *event)
{
    emit closing();
    event->accept();
    emit closed();
}

bool Form3::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_ui.PushButton3 && event->type() == QEvent::Leave)
        pointerMoved(m_pointer, PointerShape::Default);
    return QWidget::eventFilter(watched, event);
}

} // namespace tallymere
