#pragma once

#include <array>
#include <memory>

#include <QByteArray>
#include <QString>

#include "core/import/bankstatement.h"
#include "core/import/importplan.h"
#include "ui/controls/idlecall.h"
#include "ui/import/readchoicespanel.h"
#include "ui/windows/modelesswindow.h"

class QLabel;
class QPushButton;
class QTableView;

namespace tallymere {

class Ledger;
class ImportTable;

/// The window "Import Statement – <file name>": the transactions of one statement file as they
/// would come into the ledger, each with a check box (new ones checked), the sums of the checked
/// income and expenses, and the reading's choices open to change, the table following each
/// change at once. "Import" writes the checked rows in one transaction, one undo step; the lists
/// and totals follow. Modeless and resizable; the main window keeps at most one.
class ImportWindow : public ModelessWindow
{
    Q_OBJECT

public:
    /// A file's first reading: with the choices remembered for a CSV file of its header, if any.
    struct Reading {
        import::ReadOptions options;
        import::BankStatement statement;
    };
    /// Reads `bytes` of the file `fileName` as the window first shows it. Throws ReadError.
    static Reading firstReading(const QByteArray &bytes, const QString &fileName);

    /// Builds the window over `ledger` for the file at `path`, as `reading` read its `bytes`.
    ImportWindow(Ledger &ledger, const QString &path, QByteArray bytes, Reading reading, QWidget *mainWindow);
    ~ImportWindow() override;

    /// Caption and the table of the first reading.
    void Form_Load();
    /// Writes the checked rows; on success the lists and totals follow and the window closes.
    void Import_Click();

    ImportTable &table() const noexcept { return *m_model; }
    QTableView *view() const noexcept { return m_view; }
    ReadChoicesPanel *choices() const noexcept { return m_choices; }
    QPushButton *importButton() const noexcept { return m_import; }
    /// The sums of the checked rows, as shown.
    QString sumsText() const;
    /// What stops the import, as shown (a reading that failed, a date order to choose); empty
    /// when nothing does.
    QString problemText() const;

protected:
    void closeEvent(QCloseEvent *event) override;
    /// Escape that no control took cancels the import: the window closes, nothing is written.
    void keyPressEvent(QKeyEvent *event) override;

private:
    /// Reads the file again with the choices fixed so far; the table follows.
    void reread();
    /// Shows a reading: its choices, and its transactions against the ledger.
    void showReading(const import::BankStatement &statement);
    void userChanged(ReadChoicesPanel::Choice choice);
    /// A list of the ledger changed: the statuses follow once the program is idle, so that a
    /// refresh of both lists sets them once; a list read whole (another import may have written
    /// keys) has the keys read again.
    void ledgerChanged(bool readWhole);
    void followLedger();
    void showSums();
    /// The values each list already has for the source or category, for the editor.
    QStringList earlierNames(bool income) const;

    Ledger &m_ledger;
    QString m_path;
    QString m_fileName;
    QByteArray m_bytes;
    import::ReadOptions m_options;
    import::ReadChoices m_read;
    import::BankStatement m_first;
    ImportTable *m_model;
    ReadChoicesPanel *m_choices;
    QLabel *m_problem;
    QTableView *m_view;
    QLabel *m_sums;
    QPushButton *m_import;
    QPushButton *m_cancel;
    std::unique_ptr<import::PlanStatuses> m_statuses; // of the plan shown, made at the first change
    bool m_keysChanged = false; // the next follow of the ledger must read the keys again
    IdleCall m_follow{this, [this] { followLedger(); }};
    mutable std::array<QStringList, 2> m_names; // expenses, income: read when first edited
    mutable bool m_namesRead = false;
};

} // namespace tallymere
