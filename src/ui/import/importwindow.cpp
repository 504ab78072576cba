#include "ui/import/importwindow.h"

#include <QCloseEvent>
#include <QFileInfo>
#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QVBoxLayout>

#include "core/db/recordset.h"
#include "core/errors/errorreport.h"
#include "core/import/csvmapping.h"
#include "core/import/importplan.h"
#include "core/import/payeecategories.h"
#include "core/ledger/ledger.h"
#include "core/ledger/modexpense.h"
#include "core/ledger/statements.h"
#include "core/lists/listrows.h"
#include "core/platform/messagebox.h"
#include "ui/import/importtable.h"
#include "ui/windows/icons.h"

namespace tallymere {

using namespace import;

namespace {

/// The source or category editor: the values the row's list already has are offered, and any
/// other may be typed.
class NameDelegate : public QStyledItemDelegate
{
public:
    NameDelegate(std::function<QStringList(bool income)> names, QObject *parent)
        : QStyledItemDelegate(parent), m_names(std::move(names))
    {
    }

    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &, const QModelIndex &index) const override
    {
        const auto *table = static_cast<const ImportTable *>(index.model());
        const int entry = table->entryAt(index.row());
        auto *box = new QComboBox(parent);
        box->setEditable(true);
        box->setInsertPolicy(QComboBox::NoInsert);
        if (entry >= 0)
            box->addItems(m_names(table->plan().entries[std::size_t(entry)].income));
        return box;
    }

    void setEditorData(QWidget *editor, const QModelIndex &index) const override
    {
        static_cast<QComboBox *>(editor)->setCurrentText(index.data(Qt::EditRole).toString());
    }

    void setModelData(QWidget *editor, QAbstractItemModel *model, const QModelIndex &index) const override
    {
        model->setData(index, static_cast<QComboBox *>(editor)->currentText(), Qt::EditRole);
    }

private:
    std::function<QStringList(bool)> m_names;
};

/// The CSV choices that decide the file's shape: changing one guesses the columns' roles anew.
bool shapesColumns(ReadChoicesPanel::Choice choice)
{
    using Choice = ReadChoicesPanel::Choice;
    return choice == Choice::Delimiter || choice == Choice::Encoding || choice == Choice::SkipLines
        || choice == Choice::HeaderRow;
}

} // namespace

ImportWindow::Reading ImportWindow::firstReading(const QByteArray &bytes, const QString &fileName)
{
    Reading reading{{}, readStatement(bytes, fileName)};
    const ReadChoices &choices = reading.statement.choices;
    if (choices.format != Format::Csv || !choices.headerRow)
        return reading;
    // A file with the header of one imported before is read as the user confirmed then.
    if (const auto remembered = csvMapping::recall(choices.header)) {
        try {
            return Reading{*remembered, readStatement(bytes, fileName, *remembered)};
        } catch (const ReadError &) { // the file is not as that one was: read as it comes
        }
    }
    return reading;
}

ImportWindow::ImportWindow(Ledger &ledger, const QString &path, QByteArray bytes, Reading reading, QWidget *mainWindow)
    : ModelessWindow(mainWindow, Qt::Window),
      m_ledger(ledger),
      m_path(path),
      m_fileName(QFileInfo(path).fileName()),
      m_bytes(std::move(bytes)),
      m_options(std::move(reading.options)),
      m_first(std::move(reading.statement)),
      m_model(new ImportTable(this)),
      m_choices(new ReadChoicesPanel),
      m_problem(new QLabel),
      m_view(new QTableView),
      m_sums(new QLabel),
      m_import(new QPushButton(QStringLiteral("&Import"))),
      m_cancel(new QPushButton(QStringLiteral("Cancel")))
{
    setObjectName(QStringLiteral("ImportWindow"));
    resize(1000, 640);
    if (mainWindow) {
        setFont(mainWindow->font());
        setPalette(mainWindow->palette());
    }

    m_problem->setObjectName(QStringLiteral("Problem"));
    m_problem->setWordWrap(true);
    m_problem->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_problem->hide();

    m_view->setObjectName(QStringLiteral("Transactions"));
    m_view->setModel(m_model);
    m_view->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_view->setSelectionMode(QAbstractItemView::SingleSelection);
    m_view->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed
                            | QAbstractItemView::SelectedClicked);
    m_view->setItemDelegateForColumn(ImportTable::kNameColumn,
                                     new NameDelegate([this](bool income) { return earlierNames(income); }, this));
    m_view->setTabKeyNavigation(false);
    m_view->setWordWrap(false);
    // One row height and fixed column widths: nothing is measured row by row, so a statement of
    // a hundred thousand rows shows as fast as one of ten.
    QHeaderView *rows = m_view->verticalHeader();
    rows->hide();
    rows->setSectionResizeMode(QHeaderView::Fixed);
    rows->setDefaultSectionSize(fontMetrics().height() + 6);
    QHeaderView *columns = m_view->horizontalHeader();
    columns->setStretchLastSection(false);
    const int digit = fontMetrics().horizontalAdvance(QLatin1Char('0'));
    const std::array<int, 7> widths{7, 11, 11, 18, 11, 40, 20}; // in digits, for the cells
    for (std::size_t i = 0; i < widths.size(); ++i) {
        const QString header = m_model->headerData(int(i), Qt::Horizontal).toString();
        columns->resizeSection(int(i), std::max(widths[i] * digit + 16,
                                                columns->fontMetrics().horizontalAdvance(header) + 32));
    }
    columns->setSectionResizeMode(ImportTable::kParticularsColumn, QHeaderView::Stretch);

    m_sums->setObjectName(QStringLiteral("Sums"));
    m_import->setObjectName(QStringLiteral("Import"));
    m_import->setDefault(true);
    m_cancel->setObjectName(QStringLiteral("Cancel"));

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(m_sums, 1);
    buttons->addWidget(m_import);
    buttons->addWidget(m_cancel);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_choices);
    layout->addWidget(m_problem);
    layout->addWidget(m_view, 1);
    layout->addLayout(buttons);

    connect(m_model, &ImportTable::checksChanged, this, &ImportWindow::showSums);
    connect(m_choices, &ReadChoicesPanel::changed, this, &ImportWindow::userChanged);
    connect(m_import, &QPushButton::clicked, this, &ImportWindow::Import_Click);
    connect(m_cancel, &QPushButton::clicked, this, &QWidget::close);
    // Entries saved, deleted or undone in the main window, and another import, show at once.
    const auto oneChange = [this](int, int) { ledgerChanged(false); };
    for (const bool income : {false, true})
        followRowChanges(&m_ledger.list(income), this,
                         {.reset = [this] { ledgerChanged(true); }, .inserted = oneChange, .removed = oneChange,
                          .changed = oneChange});
}

ImportWindow::~ImportWindow() = default;

void ImportWindow::Form_Load()
{
    setWindowTitle(QStringLiteral("Import Statement \u2013 ") + m_fileName);
    setWindowIcon(programIcon());
    showReading(m_first);
    m_first = {}; // the table holds what it needs
}

void ImportWindow::reread()
{
    try {
        showReading(readStatement(m_bytes, m_fileName, m_options));
    } catch (const ReadError &error) {
        m_model->setPlan(ImportPlan{m_fileName, {}, {}});
        m_problem->setText(error.message());
        m_problem->show();
        showSums();
    }
}

void ImportWindow::showReading(const BankStatement &statement)
{
    m_read = statement.choices;
    const bool undecided = statement.dateOrderUndecided;
    m_choices->showChoices(m_read, undecided);
    m_choices->setVisible(m_read.format == Format::Csv || undecided || m_options.dateOrder);
    QString problem;
    ImportPlan plan{m_fileName, {}, statement.leftOut};
    if (undecided) {
        problem = QStringLiteral("The dates of this file read day-first and month-first alike. Choose the date order.");
    } else {
        try {
            plan = planImport(m_ledger.connection(), statement, m_fileName);
        } catch (const ReadError &error) {
            problem = error.message();
        } catch (const Error &error) {
            problem = error.description();
        }
    }
    m_model->setPlan(std::move(plan));
    m_statuses.reset();
    m_problem->setText(problem);
    m_problem->setVisible(!problem.isEmpty());
    showSums();
}

void ImportWindow::userChanged(ReadChoicesPanel::Choice choice)
{
    ErrorHandler on(QStringLiteral("in Tallymere.ImportWindow.userChanged "));
    on.step(100, [&] {
        if (choice == ReadChoicesPanel::Choice::Columns) {
            // Roles are given for the file's shape as it is read now.
            m_options.delimiter = m_read.delimiter;
            m_options.encoding = m_read.encoding;
            m_options.skipLines = m_read.skipLines;
            m_options.headerRow = m_read.headerRow;
        }
        m_choices->fixChoice(choice, m_options);
        if (shapesColumns(choice))
            m_options.columns.reset();
        reread();
    });
}

void ImportWindow::ledgerChanged(bool readWhole)
{
    m_keysChanged = m_keysChanged || readWhole;
    m_follow.request();
}

void ImportWindow::followLedger()
{
    if (m_model->plan().entries.empty())
        return;
    try {
        if (m_keysChanged || !m_statuses)
            m_statuses = std::make_unique<PlanStatuses>(m_ledger.connection(), m_model->plan());
        m_keysChanged = false;
        m_model->setStatuses(m_statuses->statuses(m_model->plan(), m_ledger.incomeList(), m_ledger.expenseList()));
    } catch (...) {
        // The key table cannot be read now: the statuses stay as last read, and the next change
        // of a list tries again.
        m_statuses.reset();
    }
}

void ImportWindow::showSums()
{
    const ImportTable::Sums sums = m_model->checkedSums();
    const auto entries = [](int count) {
        return count == 1 ? QStringLiteral("1 entry") : QStringLiteral("%1 entries").arg(count);
    };
    m_sums->setText(QStringLiteral("Checked income: %1 (%2)    Checked expenses: %3 (%4)")
                        .arg(sums.income.text(), entries(sums.incomeCount), sums.expenses.text(),
                             entries(sums.expenseCount)));
    m_import->setEnabled(sums.incomeCount + sums.expenseCount > 0 && m_problem->isHidden());
}

QString ImportWindow::sumsText() const
{
    return m_sums->text();
}

QString ImportWindow::problemText() const
{
    return m_problem->isHidden() ? QString() : m_problem->text();
}

QStringList ImportWindow::earlierNames(bool income) const
{
    if (!m_namesRead) {
        m_namesRead = true;
        for (const bool list : {false, true}) {
            QStringList names{QLatin1String(kUncategorised)};
            try {
                Recordset rs;
                rs.Open(QStringLiteral("select distinct %1 from %2 order by 1")
                            .arg(list ? QStringLiteral("source") : QStringLiteral("category"), entrySql::tableText(list)),
                        m_ledger.connection());
                for (; !rs.Eof(); rs.MoveNext()) {
                    const QString name = rs.Fields(0);
                    if (!name.trimmed().isEmpty() && name != names.front())
                        names.append(name);
                }
            } catch (const Error &) { // nothing offered: any value may still be typed
            }
            m_names[list] = names;
        }
    }
    return m_names[income];
}

void ImportWindow::Import_Click()
{
    ErrorHandler on(QStringLiteral("in Tallymere.ImportWindow.Import_Click "));
    const std::vector<std::size_t> chosen = m_model->checkedEntries();
    if (chosen.empty() || !m_problem->isHidden())
        return;
    bool written = false;
    on.step(100, [&] {
        try {
            writeImport(m_ledger, m_model->plan(), chosen, true);
            written = true;
        } catch (const WriteError &error) {
            platform::msgBox(QStringLiteral("Nothing was imported. ") + error.description(),
                             platform::MessageStyle::OkOnly | platform::MessageStyle::Exclamation);
        }
    });
    if (!written)
        return;
    on.step(102, [&] { csvMapping::remember(m_read); });
    on.step(104, [&] { modExpense::listIncome(m_ledger); });
    on.step(106, [&] { modExpense::listExpenses(m_ledger); });
    on.step(108, [&] { modExpense::showTotals(m_ledger); });
    close();
}

void ImportWindow::keyPressEvent(QKeyEvent *event)
{
    // An open editor or list of choices takes its own Escape first.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

void ImportWindow::closeEvent(QCloseEvent *event)
{
    emit closing();
    event->accept();
    emit closed();
}

} // namespace tallymere
