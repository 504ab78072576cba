// The Save button of the entry editor: the one place where an entry is written.

#include "ui/entries/form2.h"

#include <QLabel>
#include <QLineEdit>
#include <QScopeGuard>

#include "core/text/datetext.h"
#include "core/ledger/statements.h"
#include "core/errors/error.h"
#include "core/errors/errorreport.h"
#include "core/ledger/ledger.h"
#include "core/ledger/modexpense.h"
#include "core/text/numerictext.h"
#include "core/platform/messagebox.h"

namespace tallymere {

void Form2::PushButton1_Click()
{
    // One click, one save: a press that arrives while a save runs, or while the editor closes
    // after one (its closing step lets pending events run), does nothing.
    if (m_saving || m_closing)
        return;
    m_saving = true;
    const auto saved = qScopeGuard([this] { m_saving = false; });

    ErrorHandler on(QStringLiteral("in Coinfold2021/08/31.Form2.PushButton1_Click "));
    QString table;
    QString columns;
    QString values;
    QString setList;
    QDate date;
    bool income = true;

    if (on.test(100, [&] { return income = entrySql::isIncomeCaption(windowTitle()); })) {
        on.step(102, [&] { table = entrySql::tableText(true); });
        on.step(104, [&] { columns = entrySql::columnListText(true); });
    } else {
        on.step(106, [&] { table = entrySql::tableText(false); });
        on.step(108, [&] { columns = entrySql::columnListText(false); });
    }
    on.step(110, [&] { values.clear(); });
    on.step(112, [&] { setList.clear(); });

    // The date is read in the order the editor writes it and stored as ISO, so that a later
    // change of the order never swaps day and month of an entry already kept.
    if (on.test(114, [&] {
            const auto typed = dateText::read(m_ui.Text1[1]->text());
            if (typed)
                date = *typed;
            return !typed;
        })) {
        on.step(116, [] { platform::msgBox(QStringLiteral("Date is not proper format."), platform::MessageStyle::OkOnly); });
        return;
    }

    // The date goes as ISO, a numeric amount as a plain decimal that every reader reads the
    // same under any locale ("1,000.00" as 1000.00); every other value exactly as typed.
    const auto valueOf = [&](int i) {
        const QString typed = m_ui.Text1[std::size_t(i)]->text();
        if (i == 1)
            return dateText::iso(date);
        if (i == 3)
            return plainDecimalText(typed).value_or(typed);
        return typed;
    };
    for (int i = 1; i <= 4; ++i) {
        QLineEdit *field = m_ui.Text1[std::size_t(i)];
        const QLabel *label = m_ui.Label1[std::size_t(i)];
        if (on.test(120, [&] { return field->text().trimmed().isEmpty(); })) {
            on.step(122, [&] {
                platform::msgBox(QStringLiteral("You forgot to input ") + entrySql::fieldName(label->text()),
                                 platform::MessageStyle::OkOnly);
            });
            on.step(124, [&] { field->setFocus(Qt::OtherFocusReason); });
            return;
        }
        on.step(126, [&] { values += entrySql::valueItem(valueOf(i)); });
        on.step(128, [&] { setList += entrySql::setItem(label->text(), valueOf(i)); });
    }

    if (on.test(132, [&] { return !values.isEmpty(); })) {
        if (on.test(134, [&] { return values.endsWith(QLatin1Char(',')); })) {
            on.step(136, [&] { values.chop(1); });
            on.step(138, [&] { setList.chop(1); });
        }
    }

    // A statement the ledger refuses leaves the editor open with everything typed, so nothing
    // the user typed is lost; the lists are refreshed either way.
    bool written = false;
    if (on.test(140, [&] { return mUpdateID.isEmpty(); })) {
        on.step(142, [&] {
            m_ledger.write(entrySql::insertStatement(table, columns, values), income, Ledger::Change::Insert);
            written = true;
        });
    } else {
        // Another program (a second copy of this one) may have changed the entry since the
        // editor loaded it: its change is not written over without the user's word. No keeps
        // the editor open with everything typed.
        bool overwrite = true;
        on.step(144, [&] {
            if (changedSinceLoaded(income))
                overwrite = platform::msgBox(QStringLiteral("This entry was changed by another program since you "
                                                            "opened it. Save your version over it?"),
                                             platform::MessageStyle::YesNo)
                    == platform::MessageResult::Yes;
        });
        bool vanished = false;
        if (overwrite) {
            on.step(144, [&] {
                vanished = m_ledger.write(entrySql::updateStatement(table, setList, mUpdateID), income,
                                          Ledger::Change::Update, mUpdateID)
                    == 0;
                written = !vanished;
            });
        }
        // The entry was deleted while it was being changed: an update that changed no row is no
        // save. Yes keeps the typed entry as a new one; No keeps the editor open as it is.
        if (vanished) {
            int answer = platform::MessageResult::No;
            on.step(144, [&] {
                answer = platform::msgBox(
                    QStringLiteral("This entry is no longer in the ledger. Save it as a new entry?"),
                    platform::MessageStyle::YesNo);
            });
            if (answer == platform::MessageResult::Yes) {
                on.step(142, [&] {
                    m_ledger.write(entrySql::insertStatement(table, columns, values), income,
                                   Ledger::Change::Insert);
                    written = true;
                });
            }
        }
    }

    on.step(146, [&] { modExpense::listIncome(m_ledger); });
    on.step(148, [&] { modExpense::listExpenses(m_ledger); });
    on.step(148, [&] { modExpense::showTotals(m_ledger); });
    if (written)
        on.step(150, [&] { close(); });
}

} // namespace tallymere
