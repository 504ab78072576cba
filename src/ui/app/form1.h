#pragma once

#include <array>

#include <QPointer>
#include <QWidget>

#include "ui/controls/pointer.h"
#include "ui/dateformat/form3.h"
#include "ui/entries/form2.h"
#include "core/ledger/ledger.h"
#include "core/lists/entrysuggestions.h"
#include "ui/find/findentries.h"
#include "core/platform/mainwindow.h"
#include "ui/import/importwindow.h"
#include "ui/summary/monthlysummary.h"
#include "ui/windows/form1layout.h"
#include "ui/windows/singlewindow.h"

namespace tallymere {

/// The main window: the income and expense lists with their commands and the totals. It owns
/// the ledger, and the entry editor and the date format dialog it opens over it.
class Form1 : public QWidget, public MainWindow
{
    Q_OBJECT

public:
    explicit Form1(QWidget *parent = nullptr);
    ~Form1() override;

    const Form1Layout &ui() const noexcept { return m_ui; }

    /// Dresses the window, tests for the ledger file (ending the program without it), opens the
    /// connection, fills both lists and shows the totals. Runs before the window is shown.
    void Form_Load();
    /// Closes and releases the connection; the close is never cancelled.
    void Form_QueryUnload();
    /// Ends the whole program.
    void Form_Unload();

    void PushButton9_Click();
    /// Change Date Format: shows the date format dialog, modeless.
    void PushButton10_Click();

    // Entry commands: add, update and delete an income entry (1, 2, 3) or an expense entry
    // (7, 6, 8) through the entry editor.
    void PushButton1_Click();
    void PushButton2_Click();
    void PushButton3_Click();
    void PushButton7_Click();
    void PushButton6_Click();
    void PushButton8_Click();

    /// Undoes the last add, update or delete made in this run (Ctrl+Z), or redoes the last one
    /// undone (Ctrl+Y, Ctrl+Shift+Z); the lists and totals are refreshed as after a save.
    void mnuUndo_Click();
    void mnuRedo_Click();

    // Send the income list (4) or the expense list (5) to a new spreadsheet workbook.
    void PushButton4_Click();
    void PushButton5_Click();

    Ledger &ledger() noexcept { return m_ledger; }

    /// The entry editor: the open one, or a new one, loaded, when none is open.
    Form2 &form2();
    /// The editor that is open now, or null.
    Form2 *openForm2() const noexcept { return m_editor.open(); }
    /// The date format dialog: the open one, or a new one, loaded, when none is open.
    Form3 &form3();
    /// The dialog that is open now, or null.
    Form3 *openForm3() const noexcept { return m_dateFormat.open(); }

    /// Monthly Summary (Ctrl+M, the context menu, a click on a total): shows the summary window,
    /// modeless; an open one comes to the front.
    void showMonthlySummary();
    /// The summary window that is open now, or null.
    MonthlySummary *openMonthlySummary() const noexcept { return m_summary.open(); }

    /// Import Statement (Ctrl+I, the context menu): asks for a statement file and shows its
    /// transactions in the import window, modeless. An import window already open closes first.
    void importStatement();
    /// The import window that is open now, or null.
    ImportWindow *openImportWindow() const noexcept { return m_import.open(); }

    /// Find Entries (Ctrl+F, the context menu): shows the Find window, modeless, with the focus
    /// in its search field; an open one comes to the front.
    void showFindEntries();
    /// The Find window that is open now, or null.
    FindEntries *openFindEntries() const noexcept { return m_find.open(); }
    /// Selects row `row` (0-based) of the income or the expense list, scrolls it into view and
    /// gives that list the keyboard focus, in front of the other windows.
    void showEntryInList(bool income, int row);

    /// New Entry Like This (Ctrl+D, the context menu of a list): the add editor of `list` (the
    /// list that has the focus, or had it last), filled from its selected entry: source or
    /// category, amount and particulars, and today's date.
    void newEntryLikeThis(ListView *list);
    void newEntryLikeThis();

    /// The context menu of the two lists (`list`) and the Report frame (null), built afresh for
    /// each showing; every feature that offers an item there adds it here.
    QMenu *contextMenu(ListView *list = nullptr);

    int MousePointer() const override { return m_pointer.shape(); }
    void setMousePointer(int shape) override { m_pointer.setShape(shape); }
    /// Writes the captions of the three total labels and places them so that each shows whole.
    void setTotalCaptions(const QString &income, const QString &expenses, const QString &balance) override;

    /// Tells the user, in one message, that the ledger cannot be changed when this process may
    /// not write it; says nothing otherwise. Runs once the window is first shown.
    void warnIfReadOnly();

    /// The window got the focus back: when another program has written to the ledger since the
    /// lists were read, both lists and the totals are read again (an open summary follows them).
    void Form_Activate();

    WindowPointer &pointer() noexcept { return m_pointer; }

signals:
    /// The three totals were written to the Report frame.
    void totalsShown();

protected:
    void closeEvent(QCloseEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    /// Places the three totals in the Report frame so that each shows whole.
    void arrangeTotals();
    /// The ways into the features that add to the window: a shortcut, the context menu of the
    /// lists and the Report frame, a click on a total.
    void connectFeatures();
    /// Undo or redo, with its refresh and its message when the entry changed meanwhile.
    void replayChange(bool undoing);
    /// The keys of undo and redo.
    void connectUndo();
    /// The undo and redo items of the context menu, greyed when there is nothing to do.
    void addUndoItems(QMenu *menu);

    Form1Layout m_ui;
    WindowPointer m_pointer;
    Ledger m_ledger;
    SingleWindow<Form2> m_editor;
    SingleWindow<Form3> m_dateFormat;
    SingleWindow<MonthlySummary> m_summary;
    SingleWindow<ImportWindow> m_import;
    SingleWindow<FindEntries> m_find;
    EntrySuggestions m_incomeSuggestions;
    EntrySuggestions m_expenseSuggestions;
    QPointer<ListView> m_lastList; // the list that had the keyboard focus last
    std::array<int, 3> m_totalsLeft{};  // the laid-out places of the three totals, in pixels
    std::array<int, 3> m_totalsWidth{};
    bool m_shownOnce = false;
    bool m_activating = false; // Form_Activate runs (its reports must not start it again)
};

} // namespace tallymere
