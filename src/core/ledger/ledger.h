#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

#include <QString>
#include <QStringList>

#include "core/db/connection.h"
#include "core/db/recordset.h"
#include "core/lists/rowstore.h"

namespace tallymere {

/// What the list fills and the totals show beside the lists: the main window's pointer and its
/// three total labels. The main window gives them when it makes the ledger.
struct LedgerWindow {
    std::function<int()> pointerShape;
    std::function<void(int shape)> showPointer;
    std::function<void(const QString &income, const QString &expenses, const QString &balance)> showTotalCaptions;

    explicit operator bool() const noexcept { return pointerShape && showPointer && showTotalCaptions; }
};

/// The open ledger: the one connection, the two lists as read from it and their totals. The
/// main window owns it and hands it to the windows it opens; modExpense's procedures work on it.
///
/// The program's own writes go through write(), which notes the change; the next fill of that
/// list then applies just that change when nothing else can have changed the table since the
/// list was read (see modExpense::listIncome).
class Ledger
{
public:
    /// A write's kind, and the table and entry it is about.
    enum class Change { Insert, Update, Delete };

    explicit Ledger(LedgerWindow window = {});
    ~Ledger();
    Ledger(const Ledger &) = delete;
    Ledger &operator=(const Ledger &) = delete;

    /// The one connection: empty until the main window's load step creates it, closed and
    /// emptied by its closing step.
    std::unique_ptr<Connection> ledgerConnection;

    /// The income list (ListView1) and the expense list (ListView2).
    RowStore &incomeList() noexcept { return m_income.rows; }
    RowStore &expenseList() noexcept { return m_expenses.rows; }
    RowStore &list(bool income) noexcept { return income ? m_income.rows : m_expenses.rows; }

    /// Totals left behind by the last fill of each list.
    double totalIncome = 0;
    double totalExpenses = 0;

    /// The window the fills and totals write to; throws when there is none.
    const LedgerWindow &window() const;
    /// The window, or null when there is none.
    const LedgerWindow *attachedWindow() const noexcept { return m_window ? &m_window : nullptr; }

    /// The open connection; throws when it has not been created.
    const Connection &connection() const;

    /// Runs a statement that changes entry `srNo` of one table, for the save and the delete
    /// commands; returns the rows changed. An insert's `srNo` is the number the engine gives it.
    /// A change of one entry is kept for undo; it clears what could be redone.
    int write(const QString &statement, bool income, Change change, const QString &srNo = {});

    /// One change the program made to an entry: the entry's values in the table's columns
    /// before and after it (none before an add, none after a delete).
    struct EntryChange {
        bool income;
        Change change;
        long long srNo;
        QStringList columns;
        Parameters before;
        Parameters after;
        /// Nonzero for the changes of one step of several (an import): the step's number and
        /// its text.
        std::uint64_t step = 0;
        QString stepText;

        /// "delete of income entry 12", or the step's text.
        QString what() const;
    };

    /// One entry to add: its list and its four values as the save stores them.
    struct NewEntry {
        bool income = false;
        QString date;
        QString name; ///< source or category
        QString amount;
        QString particulars;
    };
    /// Adds `entries` in one transaction, in order, and returns the numbers they got.
    /// `alongside` runs inside the transaction after each insert, with the entry's index and
    /// number (the import writes its keys there). All or nothing: any failure rolls the whole
    /// back and is thrown; the entries reached before it number `reached` then. With an
    /// `undoText` ("import of 42 entries from statement.csv") the whole is one undo step, taken
    /// back only when every one of its entries is as the program left it. Both lists read their
    /// tables whole at their next fill.
    std::vector<long long> addEntries(const std::vector<NewEntry> &entries, const QString &undoText,
                                      const std::function<void(std::size_t index, long long srNo)> &alongside = {});

    enum class Outcome {
        Done,
        Nothing, ///< there was nothing to undo or redo
        Refused, ///< the entry is no longer as the program left it: nothing was written
    };
    /// Undoes the last change not undone yet (or redoes the last undone): one statement that
    /// changes the entry only when it is exactly as the program left it. A refused change is
    /// dropped from the history. Throws when the statement fails. The lists are not refreshed.
    Outcome undo();
    Outcome redo();
    bool canUndo() const noexcept { return !m_done.empty(); }
    bool canRedo() const noexcept { return !m_undone.empty(); }
    /// What the next undo or redo would do ("delete of income entry 12"), or empty.
    QString undoText() const;
    QString redoText() const;

    /// The next fill of both lists reads the whole tables again (start-up, a changed date
    /// order, any doubt).
    void requireFullRefill() noexcept;

    /// One list's state for the fills: whether its rows are what the table held when last read
    /// (plus the program's own changes noted since), and the engine's data version then.
    struct ListState {
        RowStore rows;
        bool whole = false;
        long long dataVersion = -1;
        struct Pending {
            Change change;
            long long srNo;
            int changed;
        };
        std::vector<Pending> pending;
        bool unknownChange = false; // a write that could not be noted
    };
    ListState &state(bool income) noexcept { return income ? m_income : m_expenses; }

    /// The engine's data version of the connection: it changes when another connection commits.
    long long dataVersion() const;

    void attach(LedgerWindow window) noexcept { m_window = std::move(window); }

private:
    struct EntryImage {
        QStringList columns;
        Parameters values;
    };
    /// Entry `srNo` as stored, or nothing when it is not there or cannot be read.
    std::optional<EntryImage> readEntry(bool income, long long srNo) const;
    /// Runs one statement and notes the change for the next refresh of the list.
    int execute(const QString &statement, const Parameters &parameters, bool income, Change change,
                std::optional<long long> number);
    Outcome replay(bool undoing);
    /// Undoes or redoes a step of several changes in one transaction: all of them, or none.
    Outcome replayStep(bool undoing);
    /// The entries just added as stored, every column read back, as one undo step.
    std::vector<EntryChange> addedStep(const std::vector<NewEntry> &entries, const std::vector<long long> &numbers,
                                       const QString &undoText);

    LedgerWindow m_window;
    std::vector<EntryChange> m_done;
    std::vector<EntryChange> m_undone;
    std::uint64_t m_lastStep = 0;
    ListState m_income;
    ListState m_expenses;
};

} // namespace tallymere
