#include "ui/find/findentries.h"

#include <algorithm>
#include <array>
#include <utility>

#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

#include "core/ledger/ledger.h"
#include "core/lists/rowstore.h"
#include "core/settings/settings.h"
#include "core/text/datetext.h"
#include "core/text/numerictext.h"
#include "ui/controls/sortedrows.h"
#include "ui/desktop/twips.h"
#include "ui/windows/icons.h"

namespace tallymere {
namespace {

/// The widths of the shown columns, in twips as the main lists give theirs; Particulars takes
/// the rest.
constexpr std::array<std::pair<int, int>, 4> kWidths{{{FoundEntries::kDateColumn, 1700},
                                                      {FoundEntries::kKindColumn, 1500},
                                                      {FoundEntries::kNameColumn, 2000},
                                                      {FoundEntries::kAmountColumn, 1000}}};

bool dayFirstNow() noexcept
{
    try {
        return settings::europeanDate();
    } catch (...) {
        return false;
    }
}

/// Shows whether a field's text is read: red when it is not, as the window's otherwise.
void markUnread(QLineEdit *field, bool unread)
{
    if (!unread) {
        field->setPalette(QPalette());
        return;
    }
    QPalette palette = field->palette();
    palette.setColor(QPalette::Text, Qt::red);
    field->setPalette(palette);
}

std::optional<QDate> dateBound(QLineEdit *field, bool dayFirst)
{
    const QString text = field->text().trimmed();
    const std::optional<QDate> date = text.isEmpty() ? std::nullopt : dateText::read(text, dayFirst);
    markUnread(field, !text.isEmpty() && !date);
    return date;
}

std::optional<double> amountBound(QLineEdit *field, const NumericReader &numbers)
{
    const QString text = field->text().trimmed();
    const std::optional<double> amount = text.isEmpty() ? std::nullopt : numbers.readTyped(text);
    markUnread(field, !text.isEmpty() && !amount);
    return amount;
}

} // namespace

FindEntries::FindEntries(Ledger &ledger, QWidget *mainWindow)
    : ModelessWindow(mainWindow, Qt::Window),
      m_mainWindow(mainWindow),
      m_finder(ledger.incomeList(), ledger.expenseList()),
      m_found(m_finder),
      m_shown(new SortedRows(this)),
      m_ui{new QLineEdit, new QComboBox, new QLineEdit, new QLineEdit, new QLineEdit, new QLineEdit, new QTableView,
           new QLabel, new QPushButton(QStringLiteral("Send Results To Excel"))},
      m_pointer(this)
{
    setObjectName(QStringLiteral("FindEntries"));
    resize(860, 560);

    const std::pair<QWidget *, const char *> names[] = {
        {m_ui.searchField, "FindText"},  {m_ui.listChoice, "FindIn"},      {m_ui.dateFrom, "DateFrom"},
        {m_ui.dateTo, "DateTo"},         {m_ui.amountFrom, "AmountFrom"},  {m_ui.amountTo, "AmountTo"},
        {m_ui.results, "FoundEntries"},  {m_ui.countLine, "CountLine"},    {m_ui.sendResultsToExcel, "SendResultsToExcel"}};
    for (const auto &[control, name] : names)
        control->setObjectName(QLatin1String(name));
    m_ui.searchField->setClearButtonEnabled(true);
    m_ui.searchField->setPlaceholderText(QStringLiteral("Source, category, particulars or amount"));
    m_ui.listChoice->addItems({QStringLiteral("All"), QStringLiteral("Income"), QStringLiteral("Expenses")});
    m_ui.amountFrom->setPlaceholderText(QStringLiteral("any"));
    m_ui.amountTo->setPlaceholderText(QStringLiteral("any"));

    m_shown->setRows(&m_found, {{FoundEntries::kDateColumn, SortKind::Date}, {FoundEntries::kAmountColumn, SortKind::Amount}});
    m_ui.results->setModel(m_shown);
    m_ui.results->setShowGrid(false);
    m_ui.results->setWordWrap(false);
    m_ui.results->setCornerButtonEnabled(false);
    m_ui.results->setTabKeyNavigation(false);
    m_ui.results->setSelectionMode(QAbstractItemView::SingleSelection);
    m_ui.results->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_ui.results->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_ui.results->verticalHeader()->hide();
    m_ui.results->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    QHeaderView *header = m_ui.results->horizontalHeader();
    header->setHighlightSections(false);
    header->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    header->setSectionsClickable(true);
    header->setSortIndicator(-1, Qt::AscendingOrder);
    header->setStretchLastSection(true);
    m_ui.results->setColumnHidden(FoundEntries::kRecordColumn, true);
    m_ui.results->installEventFilter(this);
    m_ui.searchField->installEventFilter(this);

    m_ui.countLine->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto *findRow = new QHBoxLayout;
    auto *findLabel = new QLabel(QStringLiteral("&Find:"));
    findLabel->setBuddy(m_ui.searchField);
    auto *inLabel = new QLabel(QStringLiteral("&in"));
    inLabel->setBuddy(m_ui.listChoice);
    findRow->addWidget(findLabel);
    findRow->addWidget(m_ui.searchField, 1);
    findRow->addWidget(inLabel);
    findRow->addWidget(m_ui.listChoice);

    auto *ranges = new QHBoxLayout;
    const auto addRange = [ranges](const QString &caption, QLineEdit *from, QLineEdit *to) {
        auto *label = new QLabel(caption);
        label->setBuddy(from);
        ranges->addWidget(label);
        ranges->addWidget(from);
        ranges->addWidget(new QLabel(QStringLiteral("to")));
        ranges->addWidget(to);
    };
    addRange(QStringLiteral("&Dates from"), m_ui.dateFrom, m_ui.dateTo);
    ranges->addSpacing(16);
    addRange(QStringLiteral("&Amounts from"), m_ui.amountFrom, m_ui.amountTo);
    ranges->addStretch(1);

    auto *bottom = new QHBoxLayout;
    bottom->addWidget(m_ui.countLine, 1);
    bottom->addWidget(m_ui.sendResultsToExcel);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(findRow);
    layout->addLayout(ranges);
    layout->addWidget(m_ui.results, 1);
    layout->addLayout(bottom);

    for (QLineEdit *field : {m_ui.searchField, m_ui.dateFrom, m_ui.dateTo, m_ui.amountFrom, m_ui.amountTo})
        connect(field, &QLineEdit::textChanged, this, &FindEntries::search);
    connect(m_ui.listChoice, &QComboBox::currentIndexChanged, this, &FindEntries::search);
    connect(&m_found, &FoundEntries::resultsChanged, this, &FindEntries::showCount);
    connect(m_shown, &QAbstractItemModel::modelAboutToBeReset, this, &FindEntries::rememberSelection);
    connect(m_shown, &QAbstractItemModel::modelReset, this, &FindEntries::restoreSelection);
    connect(header, &QHeaderView::sectionClicked, this, &FindEntries::sortByHeader);
    connect(m_ui.results, &QAbstractItemView::doubleClicked, this, [this](const QModelIndex &index) {
        if (index.isValid())
            choose(index.row());
    });
    connect(m_ui.sendResultsToExcel, &QPushButton::clicked, this, &FindEntries::sendResultsToExcel);
}

FindEntries::~FindEntries() = default;

void FindEntries::Form_Load()
{
    setWindowTitle(QStringLiteral("Find Entries"));
    setWindowIcon(programIcon());
    followMainWindow();
    // The ranges' dates are typed as the editor writes them.
    const QString pattern = dayFirstNow() ? QStringLiteral("d/m/yyyy") : QStringLiteral("m/d/yyyy");
    m_ui.dateFrom->setPlaceholderText(pattern);
    m_ui.dateTo->setPlaceholderText(pattern);
    QHeaderView *header = m_ui.results->horizontalHeader();
    for (const auto &[column, twips] : kWidths) {
        // The kind's header is longer than any of its cells: it shows whole.
        const int least = column == FoundEntries::kKindColumn ? header->sectionSizeHint(column) : 0;
        header->resizeSection(column, std::max(twipsToPixels(twips, this), least));
    }
    m_ui.results->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    search();
    focusSearch();
}

void FindEntries::focusSearch()
{
    m_ui.searchField->setFocus(Qt::OtherFocusReason);
    m_ui.searchField->selectAll();
}

void FindEntries::search()
{
    const bool dayFirst = dayFirstNow();
    const NumericReader numbers;
    FindQuery query;
    query.text = m_ui.searchField->text();
    query.lists = static_cast<FindQuery::Lists>(std::max(0, m_ui.listChoice->currentIndex()));
    query.from = dateBound(m_ui.dateFrom, dayFirst);
    query.to = dateBound(m_ui.dateTo, dayFirst);
    query.minimum = amountBound(m_ui.amountFrom, numbers);
    query.maximum = amountBound(m_ui.amountTo, numbers);
    m_found.setQuery(query);
}

void FindEntries::showCount()
{
    m_ui.countLine->setText(m_found.countLine());
}

FoundEntry FindEntries::entryShownAt(int row) const
{
    return m_found.entryAt(m_shown->listRow(row));
}

void FindEntries::choose(int row)
{
    if (row < 0 || row >= m_shown->rowCount())
        return;
    const FoundEntry entry = entryShownAt(row);
    emit entryChosen(entry.income, int(entry.row));
}

void FindEntries::sortByHeader(int column)
{
    const bool again = m_shown->sortColumn() == column;
    const Qt::SortOrder order = again && m_shown->sortOrder() == Qt::AscendingOrder ? Qt::DescendingOrder : Qt::AscendingOrder;
    QHeaderView *header = m_ui.results->horizontalHeader();
    header->setSortIndicatorShown(true);
    header->setSortIndicator(column, order);
    m_shown->sort(column, order);
    const QModelIndex current = m_ui.results->currentIndex();
    if (current.isValid())
        m_ui.results->scrollTo(current);
}

void FindEntries::rememberSelection()
{
    const QModelIndexList rows = m_ui.results->selectionModel()->selectedRows();
    m_selected.reset();
    if (rows.isEmpty())
        return;
    const int row = m_shown->listRow(rows.first().row());
    if (row < 0 || row >= m_found.itemCount())
        return;
    const FoundEntry entry = m_found.entryAt(row);
    if (const auto number = m_finder.list(entry.income).recordAt(int(entry.row)))
        m_selected.emplace(entry.income, *number);
}

void FindEntries::restoreSelection()
{
    if (m_shown->rowCount() == 0)
        return;
    // The entry selected before, when it is still among the results; the first result otherwise.
    int shown = 0;
    if (m_selected) {
        const int listRow = m_finder.list(m_selected->first).findRecord(m_selected->second);
        const int row = listRow >= 0 ? m_found.rowOf(m_selected->first, listRow) : -1;
        if (row >= 0)
            shown = m_shown->viewRow(row);
    }
    // The current cell in a shown column, so Up and Down move from it.
    const QModelIndex index = m_shown->index(shown, FoundEntries::kDateColumn);
    m_ui.results->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    m_ui.results->scrollTo(index);
}

bool FindEntries::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        const bool enter = (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)
            && (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
        // Enter on a result, or in the search field for the result selected, shows that entry.
        if (enter && (watched == m_ui.results || watched == m_ui.searchField)) {
            const QModelIndex current = m_ui.results->currentIndex();
            if (current.isValid())
                choose(current.row());
            return true;
        }
        // Down from the search field goes on to the results.
        if (watched == m_ui.searchField && key->key() == Qt::Key_Down && m_shown->rowCount() > 0) {
            m_ui.results->setFocus(Qt::TabFocusReason);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void FindEntries::keyPressEvent(QKeyEvent *event)
{
    // Escape that no control took (an open list of the choice takes its own) closes the window.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

void FindEntries::followMainWindow()
{
    if (!m_mainWindow)
        return;
    setFont(m_mainWindow->font());
    setPalette(m_mainWindow->palette());
}

void FindEntries::closeEvent(QCloseEvent *event)
{
    emit closing();
    event->accept();
    emit closed();
}

} // namespace tallymere
