#include "ui/find/findentries.h"

#include <algorithm>

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
constexpr int kDateWidth = 1700;
constexpr int kKindWidth = 1500;
constexpr int kNameWidth = 2000;
constexpr int kAmountWidth = 1000;

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
    : QWidget(mainWindow, Qt::Window),
      m_mainWindow(mainWindow),
      m_finder(ledger.incomeList(), ledger.expenseList()),
      m_found(m_finder),
      m_shown(new SortedRows(this)),
      m_text(new QLineEdit),
      m_lists(new QComboBox),
      m_from(new QLineEdit),
      m_to(new QLineEdit),
      m_minimum(new QLineEdit),
      m_maximum(new QLineEdit),
      m_results(new QTableView),
      m_count(new QLabel),
      m_sendToExcel(new QPushButton(QStringLiteral("Send Results To Excel"))),
      m_pointer(this)
{
    setObjectName(QStringLiteral("FindEntries"));
    resize(860, 560);

    m_text->setObjectName(QStringLiteral("FindText"));
    m_text->setClearButtonEnabled(true);
    m_text->setPlaceholderText(QStringLiteral("Source, category, particulars or amount"));
    m_lists->setObjectName(QStringLiteral("FindIn"));
    m_lists->addItems({QStringLiteral("All"), QStringLiteral("Income"), QStringLiteral("Expenses")});
    m_from->setObjectName(QStringLiteral("DateFrom"));
    m_to->setObjectName(QStringLiteral("DateTo"));
    m_minimum->setObjectName(QStringLiteral("AmountFrom"));
    m_maximum->setObjectName(QStringLiteral("AmountTo"));
    m_minimum->setPlaceholderText(QStringLiteral("any"));
    m_maximum->setPlaceholderText(QStringLiteral("any"));

    m_shown->setRows(&m_found, {{FoundEntries::kDateColumn, SortKind::Date}, {FoundEntries::kAmountColumn, SortKind::Amount}});
    m_results->setObjectName(QStringLiteral("FoundEntries"));
    m_results->setModel(m_shown);
    m_results->setShowGrid(false);
    m_results->setWordWrap(false);
    m_results->setCornerButtonEnabled(false);
    m_results->setTabKeyNavigation(false);
    m_results->setSelectionMode(QAbstractItemView::SingleSelection);
    m_results->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_results->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_results->verticalHeader()->hide();
    m_results->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    QHeaderView *header = m_results->horizontalHeader();
    header->setHighlightSections(false);
    header->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    header->setSectionsClickable(true);
    header->setSortIndicator(-1, Qt::AscendingOrder);
    header->setStretchLastSection(true);
    m_results->setColumnHidden(FoundEntries::kRecordColumn, true);
    m_results->installEventFilter(this);
    m_text->installEventFilter(this);

    m_count->setObjectName(QStringLiteral("CountLine"));
    m_count->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_sendToExcel->setObjectName(QStringLiteral("SendResultsToExcel"));

    auto *findRow = new QHBoxLayout;
    auto *findLabel = new QLabel(QStringLiteral("&Find:"));
    findLabel->setBuddy(m_text);
    auto *inLabel = new QLabel(QStringLiteral("&in"));
    inLabel->setBuddy(m_lists);
    findRow->addWidget(findLabel);
    findRow->addWidget(m_text, 1);
    findRow->addWidget(inLabel);
    findRow->addWidget(m_lists);

    auto *ranges = new QHBoxLayout;
    const auto addRange = [ranges](const QString &caption, QLineEdit *from, QLineEdit *to) {
        auto *label = new QLabel(caption);
        label->setBuddy(from);
        ranges->addWidget(label);
        ranges->addWidget(from);
        ranges->addWidget(new QLabel(QStringLiteral("to")));
        ranges->addWidget(to);
    };
    addRange(QStringLiteral("&Dates from"), m_from, m_to);
    ranges->addSpacing(16);
    addRange(QStringLiteral("&Amounts from"), m_minimum, m_maximum);
    ranges->addStretch(1);

    auto *bottom = new QHBoxLayout;
    bottom->addWidget(m_count, 1);
    bottom->addWidget(m_sendToExcel);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(findRow);
    layout->addLayout(ranges);
    layout->addWidget(m_results, 1);
    layout->addLayout(bottom);

    for (QLineEdit *field : {m_text, m_from, m_to, m_minimum, m_maximum})
        connect(field, &QLineEdit::textChanged, this, &FindEntries::search);
    connect(m_lists, &QComboBox::currentIndexChanged, this, &FindEntries::search);
    connect(&m_found, &FoundEntries::resultsChanged, this, &FindEntries::showCount);
    connect(m_shown, &QAbstractItemModel::modelAboutToBeReset, this, &FindEntries::rememberSelection);
    connect(m_shown, &QAbstractItemModel::modelReset, this, &FindEntries::restoreSelection);
    connect(header, &QHeaderView::sectionClicked, this, &FindEntries::sortByHeader);
    connect(m_results, &QAbstractItemView::doubleClicked, this, [this](const QModelIndex &index) {
        if (index.isValid())
            choose(index.row());
    });
    connect(m_sendToExcel, &QPushButton::clicked, this, &FindEntries::sendResultsToExcel);
}

FindEntries::~FindEntries() = default;

void FindEntries::Form_Load()
{
    setWindowTitle(QStringLiteral("Find Entries"));
    setWindowIcon(programIcon());
    followMainWindow();
    // The ranges' dates are typed as the editor writes them.
    const QString pattern = dayFirstNow() ? QStringLiteral("d/m/yyyy") : QStringLiteral("m/d/yyyy");
    m_from->setPlaceholderText(pattern);
    m_to->setPlaceholderText(pattern);
    QHeaderView *header = m_results->horizontalHeader();
    header->resizeSection(FoundEntries::kDateColumn, twipsToPixels(kDateWidth, this));
    // The kind's header is longer than any of its cells: it shows whole.
    header->resizeSection(FoundEntries::kKindColumn,
                          std::max(twipsToPixels(kKindWidth, this), header->sectionSizeHint(FoundEntries::kKindColumn)));
    header->resizeSection(FoundEntries::kNameColumn, twipsToPixels(kNameWidth, this));
    header->resizeSection(FoundEntries::kAmountColumn, twipsToPixels(kAmountWidth, this));
    m_results->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    search();
    focusSearch();
}

void FindEntries::focusSearch()
{
    m_text->setFocus(Qt::OtherFocusReason);
    m_text->selectAll();
}

void FindEntries::search()
{
    const bool dayFirst = dayFirstNow();
    const NumericReader numbers;
    FindQuery query;
    query.text = m_text->text();
    query.lists = static_cast<FindQuery::Lists>(std::max(0, m_lists->currentIndex()));
    query.from = dateBound(m_from, dayFirst);
    query.to = dateBound(m_to, dayFirst);
    query.minimum = amountBound(m_minimum, numbers);
    query.maximum = amountBound(m_maximum, numbers);
    m_found.setQuery(query);
}

void FindEntries::showCount()
{
    m_count->setText(m_found.countLine());
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
    QHeaderView *header = m_results->horizontalHeader();
    header->setSortIndicatorShown(true);
    header->setSortIndicator(column, order);
    m_shown->sort(column, order);
    const QModelIndex current = m_results->currentIndex();
    if (current.isValid())
        m_results->scrollTo(current);
}

void FindEntries::rememberSelection()
{
    const QModelIndexList rows = m_results->selectionModel()->selectedRows();
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
    m_results->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    m_results->scrollTo(index);
}

bool FindEntries::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        const bool enter = (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)
            && (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
        // Enter on a result, or in the search field for the result selected, shows that entry.
        if (enter && (watched == m_results || watched == m_text)) {
            const QModelIndex current = m_results->currentIndex();
            if (current.isValid())
                choose(current.row());
            return true;
        }
        // Down from the search field goes on to the results.
        if (watched == m_text && key->key() == Qt::Key_Down && m_shown->rowCount() > 0) {
            m_results->setFocus(Qt::TabFocusReason);
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
