#pragma once

#include <optional>

#include <QString>
#include <QWidget>

#include "core/db/recordset.h"
#include "ui/controls/pointer.h"
#include "core/ledger/modexpense.h"
#include "ui/windows/form2layout.h"
#include "ui/windows/modelesswindow.h"

namespace tallymere {

class EntrySuggestions;
class FieldSuggestions;
class Ledger;

/// The entry editor: one income or expense entry typed or changed in four fields with a month
/// calendar. Its caption tells the table ("income" in it means income), mUpdateID tells add
/// ("") from update (the entry's sr_no). It is shown modeless, and every close forgets the
/// update number; a closed editor is destroyed (the main window keeps at most one).
class Form2 : public ModelessWindow
{
    Q_OBJECT

public:
    /// Builds the window from its layout over the ledger it writes to; Form_Load has not run
    /// yet. A top-level window owned by `parent`, so it goes with it.
    Form2(Ledger &ledger, QWidget *parent = nullptr);
    ~Form2() override;

    /// "" to add an entry, otherwise the sr_no of the entry to change.
    QString mUpdateID;

    const Form2Layout &ui() const noexcept { return m_ui; }
    WindowPointer &pointer() noexcept { return m_pointer; }

    /// Colours, icon and pointer image; the calendar and the date field on today.
    void Form_Load();
    /// Writes the date picked in the calendar into the date field, in the current order.
    void Calendar1_Click();
    /// The numeric check of the amount field (index 3) when a field loses the focus.
    void Text1_LostFocus(int index);
    /// Save: validates the fields, writes the entry, refreshes the lists and totals, closes.
    void PushButton1_Click();
    /// Cancel: closes without writing.
    void PushButton2_Click();
    /// Runs on every close: forgets the update number and lets pending events run. Never
    /// refuses the close.
    void Form_QueryUnload();

    /// Writes an entry's four fields, as a loader reads them, into Text1(1) to Text1(4), and
    /// keeps the entry as it is stored now (the one numbered mUpdateID, in the table the caption
    /// names): the save asks before it writes over a change another program made meanwhile.
    void showEntry(const modExpense::EntryFields &fields);

    /// Where the source or category field and the particulars field find their suggestions:
    /// the values used before in the income list or in the expense list, as the caption says.
    void setSuggestions(EntrySuggestions *income, EntrySuggestions *expenses);
    /// The suggestions under the source or category field (Text1(2)) and the particulars field
    /// (Text1(4)).
    FieldSuggestions *nameSuggestions() const noexcept { return m_nameSuggestions; }
    FieldSuggestions *particularsSuggestions() const noexcept { return m_particularsSuggestions; }

    /// The date order changed from day-first (`fromDayFirst`) or month-first to the other: a date
    /// field that reads as a date in the old order is written again in the new one, so Save
    /// reads the same calendar date. Any other text stays as typed; the calendar keeps its date.
    void rewriteDateOrder(bool fromDayFirst, bool toDayFirst);

protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    /// One of the four fields Text1(1) to Text1(4).
    bool isField(const QObject *object) const;
    /// The suggestions of the list the caption names, or null.
    EntrySuggestions *suggestions() const;

    /// An entry as stored: which one, and every value of its row as the engine keeps it.
    struct StoredEntry {
        bool income;
        QString srNo;
        Parameters values;
    };
    /// Entry `srNo` of one table as stored now; nothing when it is not there. Throws on failure.
    std::optional<StoredEntry> storedEntry(bool income, const QString &srNo) const;
    /// True when the entry being updated is still there but no longer as the editor loaded it.
    bool changedSinceLoaded(bool income) const;

    Ledger &m_ledger;
    Form2Layout m_ui;
    WindowPointer m_pointer;
    std::optional<StoredEntry> m_loaded; // the entry the update commands loaded, as stored then
    bool m_saving = false;  // a save runs
    bool m_closing = false; // the window is closing; it is gone once its closing step ends
    EntrySuggestions *m_incomeSuggestions = nullptr;
    EntrySuggestions *m_expenseSuggestions = nullptr;
    FieldSuggestions *m_nameSuggestions = nullptr;
    FieldSuggestions *m_particularsSuggestions = nullptr;
};

} // namespace tallymere
