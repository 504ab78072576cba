#pragma once

#include <array>
#include <map>
#include <memory>
#include <optional>
#include <vector>

#include <QString>

#include "core/db/connection.h"
#include "core/db/recordset.h"
#include "core/ledger/undohistory.h"
#include "core/lists/rowstore.h"
#include "core/platform/mainwindow.h"
#include "core/text/decimalsum.h"

namespace tallymere {

/// The open ledger: the one connection, the two lists as read from it, their totals, what the
/// next refresh of each list may skip, and the history of the program's own changes for undo.
/// The main window owns it and hands it to the windows it opens; modExpense's procedures fill
/// its lists through its methods.
///
/// The program's own writes go through write() (or a Batch), which notes the change; the next
/// fill of that list then asks applyOwnChanges() to apply just that change when nothing else
/// can have changed the table since the list was read.
class Ledger
{
public:
    using Change = ChangeKind;

    /// A ledger whose fills and totals show on `window` (none: see window()).
    explicit Ledger(MainWindow *window = nullptr);
    ~Ledger();
    Ledger(const Ledger &) = delete;
    Ledger &operator=(const Ledger &) = delete;

    /// Creates the one connection (`ledgerConnection`), not open yet; one made before is
    /// released first. The lists of a new connection are read whole by their next fill.
    void createConnection();
    /// Opens the connection created before with a connection text; throws when there is none or
    /// when it cannot be opened.
    void openConnection(const QString &connectionString);
    /// Creates the connection and opens the ledger file at `path` with it.
    void openFile(const QString &path);
    /// Whether the connection has been created and not released since.
    bool hasConnection() const noexcept { return m_connection != nullptr; }
    /// Closes the connection when it is open; it stays created.
    void closeConnection() noexcept;
    /// Lets the connection go (it is closed first).
    void releaseConnection() noexcept;
    /// The connection, for reading; throws when it has not been created.
    const Connection &connection() const;

    /// The income list (ListView1) and the expense list (ListView2).
    RowStore &incomeList() noexcept { return m_income.rows; }
    RowStore &expenseList() noexcept { return m_expenses.rows; }
    RowStore &list(bool income) noexcept { return income ? m_income.rows : m_expenses.rows; }
    const RowStore &list(bool income) const noexcept { return income ? m_income.rows : m_expenses.rows; }

    /// The totals (totalIncome, totalExpenses) left behind by the last fill of each list: the
    /// exact sums of its amounts (toDouble() gives the nearest double).
    const DecimalSum &totalIncome() const noexcept { return m_income.total; }
    const DecimalSum &totalExpenses() const noexcept { return m_expenses.total; }
    const DecimalSum &total(bool income) const noexcept { return income ? m_income.total : m_expenses.total; }

    /// For a fill: when every change since the list was read is the program's own, and nothing
    /// else can have changed the table, applies those changes to the list, brings its total up
    /// to date and returns true; the list and the total are then what a full fill would leave.
    /// False (nothing changed) when the list needs a full fill.
    bool applyOwnChanges(bool income) noexcept;
    /// For a full fill, before it reads the table: the list is about to hold the table as it is
    /// now.
    void beginFill(bool income) noexcept;
    /// The fill's steps on the total of its list.
    void setTotal(bool income, const DecimalSum &total) noexcept;
    /// Throws tallymere::Error ("Overflow") beyond what a sum can hold.
    void addToTotal(bool income, Amount amount);
    /// After a full fill: `whole` when it read every row and column without a failure, so the
    /// next refresh may build on it.
    void endFill(bool income, bool whole) noexcept;
    /// The next fill of both lists reads the whole tables again (start-up, a changed date
    /// order, any doubt).
    void requireFullRefill() noexcept;
    /// True when another connection has written to the file since either list was last read
    /// whole (the engine's data version has moved); false when that cannot be told (no open
    /// connection).
    bool changedElsewhere() const noexcept;

    /// The window the fills and totals write to; throws when there is none.
    MainWindow &window() const;
    /// The window, or null when there is none.
    MainWindow *attachedWindow() const noexcept { return m_window; }
    /// Shows the fills and totals on `window` from now on (null: nowhere).
    void attach(MainWindow *window) noexcept { m_window = window; }

    /// Runs a statement that changes entry `srNo` of one table, for the save and the delete
    /// commands; returns the rows changed. An insert's `srNo` is the number the engine gives it.
    /// A change of one entry is one undo step; it clears what could be redone.
    int write(const QString &statement, bool income, Change change, const QString &srNo = {},
              const Parameters &parameters = {});

    /// Several writes in one transaction, undone and redone as one step: nothing of them is in
    /// the ledger until commit(), and all of them go when the batch ends without it.
    class Batch
    {
    public:
        /// Begins the transaction; `undoText` names the step in the menus ("import of 42
        /// entries from statement.csv"). Without one the batch is no undo step (a command that
        /// ends when it is done keeps no history).
        Batch(Ledger &ledger, const QString &undoText);
        /// Rolls back what was written unless committed.
        ~Batch();
        Batch(const Batch &) = delete;
        Batch &operator=(const Batch &) = delete;

        /// One change of an entry, as Ledger::write; kept for the batch's undo step. An insert's
        /// statement is prepared once for the whole batch, so give its values as parameters.
        int write(const QString &statement, bool income, Change change, const QString &srNo = {},
                  const Parameters &parameters = {});
        /// Adds an entry to the income list or the expense list with `values`: its date, source
        /// or category, amount and particulars, as texts. As write() with an insert, but faster
        /// for many: where the table keeps texts exactly as sent (its own columns, all of text
        /// affinity), the undo step keeps the values given instead of reading the entry back.
        /// Returns the rows added.
        int add(bool income, Parameters values);
        /// The number the engine gave the entry this batch added last; 0 before the first.
        long long lastAdded() const noexcept { return m_lastAdded; }
        /// Any other statement of the batch (a table of its own); not part of the undo step.
        /// Prepared once for the whole batch.
        int execute(const QString &statement, const Parameters &parameters = {});
        /// Commits; the batch's entry changes become one undo step, and both lists read their
        /// tables whole at their next fill.
        void commit();

    private:
        /// Runs a statement with its values, prepared the first time the batch runs it.
        int run(const QString &statement, const Parameters &parameters);
        /// The entries the batch added, each read back as stored for the undo step, in one pass
        /// over each table instead of one reading per entry.
        void readBackAdded();

        /// The columns of the list's table when the table is as the ledger makes it (the number
        /// and four texts kept as sent), so that an entry added is known without reading it
        /// back; nothing otherwise. Read once per batch.
        const std::optional<QStringList> &plainColumns(bool income);

        Ledger &m_ledger;
        UndoStep m_step;
        std::array<std::optional<std::optional<QStringList>>, 2> m_plainColumns; // expenses, income
        bool m_open = false;
        std::map<QString, std::unique_ptr<Recordset>> m_prepared;
        std::vector<std::size_t> m_added; // the step's changes that add an entry, not read yet
        long long m_lastAdded = 0;
    };

    enum class Outcome {
        Done,
        Nothing, ///< there was nothing to undo or redo
        Refused, ///< an entry is no longer as the program left it: nothing was written
    };
    /// Undoes the last step not undone yet (or redoes the last undone): for each entry one
    /// statement that changes the entry only when it is exactly as the program left it, all of
    /// a step in one transaction. A refused step is dropped from the history. Throws when a
    /// statement fails. The lists are not refreshed.
    Outcome undo();
    Outcome redo();
    bool canUndo() const noexcept { return m_history.canUndo(); }
    bool canRedo() const noexcept { return m_history.canRedo(); }
    /// What the next undo or redo would do ("delete of income entry 12"), or empty.
    QString undoText() const { return m_history.undoText(); }
    QString redoText() const { return m_history.redoText(); }
    /// Why the last undo or redo that was Refused was refused, as the message to show says it.
    const QString &refusalText() const noexcept { return m_refusal; }

private:
    /// One list, its total, and whether its rows are what the table held when last read (plus
    /// the program's own changes noted since), with the engine's data version then.
    struct ListState {
        RowStore rows;
        DecimalSum total;
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

    struct EntryImage {
        QStringList columns;
        Parameters values;
    };
    /// The connection, for writing; throws when it has not been created.
    Connection &writable();
    /// Entry `srNo` as stored, or nothing when it is not there or cannot be read.
    std::optional<EntryImage> readEntry(bool income, long long srNo) const;
    /// Runs one statement and notes the change for the next refresh of the list.
    int execute(const QString &statement, const Parameters &parameters, bool income, Change change,
                std::optional<long long> number);
    /// write() for one change; the change for undo, when it can be undone, goes to `step`.
    int writeEntry(const QString &statement, const Parameters &parameters, bool income, Change change,
                   const QString &srNo, std::vector<EntryChange> &step);
    Outcome replay(bool undoing);
    /// A transaction that failed or was rolled back leaves the notes of both lists in doubt.
    void forgetNotes() noexcept;

    MainWindow *m_window = nullptr;
    std::unique_ptr<Connection> m_connection;
    ListState m_income;
    ListState m_expenses;
    UndoHistory m_history;
    QString m_refusal;
};

} // namespace tallymere
