#pragma once

#include <optional>
#include <utility>

#include <QWidget>

#include "core/lists/entryfinder.h"
#include "core/lists/foundentries.h"
#include "core/platform/mainwindow.h"
#include "ui/controls/pointer.h"
#include "ui/windows/modelesswindow.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;

namespace tallymere {

class Ledger;
class SortedRows;

/// The controls of the Find Entries window, each with its Qt object name (in the comment), by
/// which tests and screenshots find it.
struct FindEntriesControls {
    QLineEdit *searchField;          ///< FindText
    QComboBox *listChoice;           ///< FindIn: All, Income, Expenses
    QLineEdit *dateFrom;             ///< DateFrom
    QLineEdit *dateTo;               ///< DateTo
    QLineEdit *amountFrom;           ///< AmountFrom
    QLineEdit *amountTo;             ///< AmountTo
    QTableView *results;             ///< FoundEntries
    QLabel *countLine;               ///< CountLine
    QPushButton *sendResultsToExcel; ///< SendResultsToExcel
};

/// The Find Entries window: every entry of the ledger's lists whose source or category,
/// particulars or amount holds the text typed (letter case and accents do not count), in All,
/// Income or Expenses, within an optional date range and amount range. The results follow every
/// keystroke and every change of the lists; under them one line counts them and sums their
/// income and expenses as the totals are summed. A header click sorts the results as it sorts
/// the main lists; Enter or a double click on a result asks the main window to show that entry.
///
/// Modeless; the main window keeps at most one, and takes its font and colours.
class FindEntries : public ModelessWindow, public MainWindow
{
    Q_OBJECT

public:
    /// Builds the window over the lists of `ledger`, owned by `mainWindow`; Form_Load has not
    /// run yet.
    FindEntries(Ledger &ledger, QWidget *mainWindow);
    ~FindEntries() override;

    /// Caption, icon, look, and the first search (everything, until something is typed).
    void Form_Load();
    /// Searches again with what the fields hold now. A date or amount that cannot be read is
    /// shown in red and bounds nothing.
    void search();
    /// Send Results To Excel: the results, in the order shown, into a new workbook as the lists
    /// are sent (without the ID column).
    void sendResultsToExcel();
    /// Puts the keyboard focus in the search field, its text selected, for the next search.
    void focusSearch();

    /// The window an export of the results runs from: its pointer, and its own busy flag.
    int MousePointer() const override { return m_pointer.shape(); }
    void setMousePointer(int shape) override { m_pointer.setShape(shape); }
    /// The Find window shows no totals; an export writes none.
    void setTotalCaptions(const QString &, const QString &, const QString &) override {}

    const FindEntriesControls &ui() const noexcept { return m_ui; }
    const FoundEntries &found() const noexcept { return m_found; }

signals:
    /// A result was chosen: row `row` (0-based) of the income list or of the expense list.
    void entryChosen(bool income, int row);

protected:
    void closeEvent(QCloseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    /// The entry shown at view row `row`.
    FoundEntry entryShownAt(int row) const;
    /// Asks the main window to show the entry at view row `row`.
    void choose(int row);
    void sortByHeader(int column);
    void rememberSelection();
    void restoreSelection();
    void showCount();
    void followMainWindow();

    QWidget *m_mainWindow;
    EntryFinder m_finder;
    FoundEntries m_found;
    SortedRows *m_shown;
    FindEntriesControls m_ui;
    WindowPointer m_pointer;
    /// The entry selected before the results changed: its list and record number.
    std::optional<std::pair<bool, long long>> m_selected;
};

} // namespace tallymere
