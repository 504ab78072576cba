#include "ui/entries/form2.h"

#include <limits>

#include <QApplication>
#include <QCloseEvent>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QShortcut>

#include "core/ledger/statements.h"
#include "core/lists/entrysuggestions.h"
#include "ui/entries/fieldsuggestions.h"
#include "ui/windows/mainmodule.h"
#include "ui/controls/pointerfeedback.h"
#include "ui/controls/calendar.h"
#include "ui/controls/pushbutton.h"
#include "core/text/datetext.h"
#include "core/errors/error.h"
#include "core/errors/errorreport.h"
#include "core/ledger/ledger.h"
#include "core/ledger/statements.h"
#include "core/text/numerictext.h"
#include "core/platform/messagebox.h"
#include "core/platform/program.h"
#include "core/settings/settings.h"
#include "ui/windows/icons.h"

namespace tallymere {

Form2::Form2(Ledger &ledger, QWidget *parent)
    : ModelessWindow(parent, Qt::Window), m_ledger(ledger), m_ui(Form2Layout::build(this)), m_pointer(this)
{
    connect(m_ui.PushButton1, &QPushButton::clicked, this, &Form2::PushButton1_Click);
    connect(m_ui.PushButton2, &QPushButton::clicked, this, &Form2::PushButton2_Click);
    connect(m_ui.Calendar1, &Calendar::clicked, this, &Form2::Calendar1_Click);
    for (int i = 1; i <= 4; ++i)
        m_ui.Text1[std::size_t(i)]->installEventFilter(this);
    // A field takes a text of any length. A line edit cuts what it is given at 32767 characters,
    // and a save would keep the cut text: the rest of a long entry would be lost.
    for (int i = 1; i <= 4; ++i)
        m_ui.Text1[std::size_t(i)]->setMaxLength(std::numeric_limits<int>::max());

    // The hand over Save and Cancel, the ordinary pointer over the window and the four fields.
    connectPointerProcedures(m_pointer, {m_ui.PushButton1, m_ui.PushButton2},
                             {this, m_ui.Text1[1], m_ui.Text1[2], m_ui.Text1[3], m_ui.Text1[4]});

    // Escape presses Cancel, wherever the focus is in the editor; with a list of suggestions
    // open, it closes just that list (the window's shortcut comes before the list sees the key).
    auto *escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, this, [this] {
        for (FieldSuggestions *suggestions : {m_nameSuggestions, m_particularsSuggestions}) {
            if (suggestions && suggestions->isOpen()) {
                suggestions->closeList();
                return;
            }
        }
        m_ui.PushButton2->click();
    });

    // The source or category and the particulars offer what the list used before.
    m_nameSuggestions = new FieldSuggestions(m_ui.Text1[2], [this](const QString &typed) {
        EntrySuggestions *used = suggestions();
        return used ? used->names(typed) : QStringList();
    });
    m_particularsSuggestions = new FieldSuggestions(m_ui.Text1[4], [this](const QString &typed) {
        EntrySuggestions *used = suggestions();
        return used ? used->particulars(m_ui.Text1[2]->text(), typed) : QStringList();
    });

    // The date field is the first to take the keyboard focus.
    m_ui.Text1[1]->setFocus();
}

Form2::~Form2() = default;

void Form2::Form_Load()
{
    ErrorHandler on(QStringLiteral("in Coinfold2021/08/31.Form2.Form_Load "));
    const QString pointerFile = platform::programFolder() + QStringLiteral("/HAND-M.CUR");
    QDate today;
    QString todayText;

    on.step(100, [&] { Main::applySystemColors(this); });
    on.step(102, [&] { setWindowIcon(programIcon()); });
    if (on.test(104, [&] { return Main::fileExists(pointerFile); }))
        on.step(106, [&] { m_pointer.setCustomImage(loadPointerFile(pointerFile, devicePixelRatioF())); });
    on.step(108, [&] {
        const QLabel *dateLabel = m_ui.Label1[1];
        m_ui.Calendar1->setBackColor(dateLabel->palette().color(dateLabel->backgroundRole()));
    });
    on.step(110, [&] { m_ui.Calendar1->setValue(QDate::currentDate()); });
    on.step(112, [&] { today = QDate::currentDate(); });
    if (on.test(114, [&] { return settings::europeanDate(); }))
        on.step(116, [&] { todayText = dateText::format(today, true); });
    else
        on.step(118, [&] { todayText = dateText::format(today, false); });
    on.step(120, [&] { m_ui.Text1[1]->setText(todayText); });
}

void Form2::Calendar1_Click()
{
    // A failure here (the setting cannot be read) is reported like any other, with a location
    // of the same pattern.
    ErrorHandler on(QStringLiteral("in Coinfold2021/08/31.Form2.Calendar1_Click "));
    on.step(100, [&] { m_ui.Text1[1]->setText(dateText::format(m_ui.Calendar1->value())); });
}

void Form2::Text1_LostFocus(int index)
{
    if (index != 3)
        return;
    ErrorHandler on(QStringLiteral("in Coinfold2021/08/31.Form2.Text1_LostFocus "));
    QLineEdit *amount = m_ui.Text1[3];
    if (on.test(100, [&] { return !amount->text().trimmed().isEmpty() && !isNumericText(amount->text()); })) {
        on.step(102, [] { platform::msgBox(QStringLiteral("Must be a numeric entry."), platform::MessageStyle::OkOnly); });
        on.step(104, [&] { amount->setFocus(Qt::OtherFocusReason); });
    } else if (on.test(106, [&] { return isAmountTooLarge(amount->text()); })) {
        // The totals count every amount to its last decimal: one they cannot hold is refused
        // here, and the field keeps what was typed for the user to correct.
        on.step(108, [] { platform::msgBox(QStringLiteral("The amount is too large."), platform::MessageStyle::OkOnly); });
        on.step(110, [&] { amount->setFocus(Qt::OtherFocusReason); });
    }
}

void Form2::PushButton2_Click()
{
    // While a save runs or the editor closes after one, Cancel has nothing left to cancel.
    if (m_saving || m_closing)
        return;
    ErrorHandler on(QStringLiteral("in Coinfold2021/08/31.Form2.PushButton2_Click "));
    on.step(100, [&] { close(); });
}

void Form2::Form_QueryUnload()
{
    ErrorHandler on(QStringLiteral("in Coinfold2021/08/31.Form2.Form_QueryUnload "));
    on.step(100, [&] { mUpdateID.clear(); });
    on.step(102, [] { platform::doEvents(); });
    on.step(104, [] { platform::doEvents(); });
}

void Form2::showEntry(const modExpense::EntryFields &fields)
{
    for (std::size_t i = 1; i <= 4; ++i)
        m_ui.Text1[i]->setText(fields[i - 1]);
    // The entry just loaded, read once more as the engine keeps it (Null apart from empty, the
    // date and amount as stored, not as shown). An entry that cannot be read is not compared.
    try {
        m_loaded = storedEntry(entrySql::isIncomeCaption(windowTitle()), mUpdateID);
    } catch (const Error &) {
        m_loaded.reset();
    }
}

std::optional<Form2::StoredEntry> Form2::storedEntry(bool income, const QString &srNo) const
{
    Recordset rs;
    rs.Open(entrySql::selectEntryStatement(income, srNo), m_ledger.connection());
    if (rs.Eof())
        return std::nullopt;
    StoredEntry entry{income, srNo, {}};
    for (int i = 0; i < rs.columnCount(); ++i)
        entry.values.push_back(rs.value(i));
    return entry;
}

bool Form2::changedSinceLoaded(bool income) const
{
    if (!m_loaded || m_loaded->income != income || m_loaded->srNo != mUpdateID)
        return false;
    const std::optional<StoredEntry> now = storedEntry(income, mUpdateID);
    // An entry that is gone is the update's own question ("no longer in the ledger").
    return now && now->values != m_loaded->values;
}

void Form2::setSuggestions(EntrySuggestions *income, EntrySuggestions *expenses)
{
    m_incomeSuggestions = income;
    m_expenseSuggestions = expenses;
}

EntrySuggestions *Form2::suggestions() const
{
    return entrySql::isIncomeCaption(windowTitle()) ? m_incomeSuggestions : m_expenseSuggestions;
}

void Form2::rewriteDateOrder(bool fromDayFirst, bool toDayFirst)
{
    if (fromDayFirst == toDayFirst)
        return;
    QLineEdit *date = m_ui.Text1[1];
    if (const auto typed = dateText::read(date->text(), fromDayFirst))
        date->setText(dateText::format(*typed, toDayFirst));
}

void Form2::closeEvent(QCloseEvent *event)
{
    // The closing step lets pending events run while the window is still up: a second click on
    // Save or Cancel queued behind the first must find the editor closed already, and a command
    // of the main window must find no editor to act on (it opens a fresh one).
    m_closing = true;
    m_ui.PushButton1->setEnabled(false);
    m_ui.PushButton2->setEnabled(false);
    emit closing();
    Form_QueryUnload();
    event->accept();
    emit closed();
}

bool Form2::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress && isField(watched)) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)
            && (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
            // Enter in a field presses Save as a click does: the focus goes to Save first, so the
            // field is left (and the amount checked) as it is for a click, and Save is pressed
            // only when the focus stayed there. A held key that repeats presses nothing more.
            if (!key->isAutoRepeat()) {
                m_ui.PushButton1->setFocus(Qt::OtherFocusReason);
                if (m_ui.PushButton1->hasFocus())
                    m_ui.PushButton1->click();
            }
            return true;
        }
    }
    if (event->type() == QEvent::FocusOut) {
        // Only a move of the focus inside the editor counts as leaving a field: a message box or
        // another window taking the focus does not, or the check's own box would check again.
        // Nor does a move to Cancel: Cancel closes the editor whatever the amount holds.
        const auto reason = static_cast<QFocusEvent *>(event)->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason
            && QApplication::focusWidget() != m_ui.PushButton2) {
            for (int i = 1; i <= 4; ++i) {
                if (watched == m_ui.Text1[std::size_t(i)])
                    Text1_LostFocus(i);
            }
        }
    }
    return QWidget::eventFilter(watched, event);
}

bool Form2::isField(const QObject *object) const
{
    for (std::size_t i = 1; i <= 4; ++i) {
        if (object == m_ui.Text1[i])
            return true;
    }
    return false;
}

} // namespace tallymere
