#include "ui/controls/listview.h"

#include <algorithm>
#include <utility>

#include <QHeaderView>
#include <QMouseEvent>
#include <QStyle>

#include "ui/controls/sortedrows.h"
#include "ui/desktop/twips.h"
#include "core/errors/error.h"

namespace tallymere {

ListView::ListView(QWidget *parent) : QTableView(parent)
{
    // A report list: rows of one height without a grid, a row header or word wrap. A table view
    // keeps no layout item per row (a tree view keeps one, and lays every row out again when one
    // row comes or goes), so a list of a million rows costs little and changes fast. Tab leaves
    // the list, as from any other control.
    setShowGrid(false);
    setWordWrap(false);
    setCornerButtonEnabled(false);
    setTabKeyNavigation(false);
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setMinimumSectionSize(1);
    fitRowHeight();
    header()->setHighlightSections(false);
    header()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setMouseTracking(true);
    header()->viewport()->installEventFilter(this);
    // The list, not its viewport, fills the white behind the rows. At a fractional scale (150%)
    // the viewport's last row and column of device pixels would cover the right and bottom edges
    // of the list's frame; the viewport no longer paints there, so the frame shows whole.
    viewport()->setAutoFillBackground(false);
    setBackgroundRole(QPalette::Base);
    setAutoFillBackground(true);
    connect(header(), &QHeaderView::sectionResized, this,
            [this](int column, int, int pixels) { noteColumnWidth(column, pixels); });
    header()->setStretchLastSection(false);
    header()->setSectionsMovable(false);
    header()->setMinimumSectionSize(0);
    // The list's own order until a header is clicked; the header only shows the sort then.
    header()->setSectionsClickable(true);
    header()->setSortIndicator(-1, Qt::AscendingOrder);
    connect(header(), &QHeaderView::sectionClicked, this, &ListView::headerClicked);
}

void ListView::setItems(RowStore &items)
{
    m_model = &items;
    m_shown = new SortedRows(this);
    m_shown->setRows(m_model, {{kDateColumn, SortKind::Date}, {kAmountColumn, SortKind::Amount}});
    setModel(m_shown);
    connect(m_model, &RowStore::columnWidthChanged, this, [this](int column, int twips) {
        header()->resizeSection(column, twipsToPixels(twips, this));
    });
    connect(m_shown, &QAbstractItemModel::modelAboutToBeReset, this, &ListView::rememberSelection);
    connect(m_shown, &QAbstractItemModel::modelReset, this, &ListView::restoreSelection);
    connect(m_shown, &QAbstractItemModel::rowsInserted, this, &ListView::keepSelection);
    connect(m_shown, &QAbstractItemModel::rowsRemoved, this, &ListView::keepSelection);
    connect(m_shown, &QAbstractItemModel::dataChanged, this, &ListView::keepSelection);
    connect(m_shown, &QAbstractItemModel::layoutChanged, this, &ListView::keepSelection);
}

void ListView::headerClicked(int column)
{
    const bool again = m_shown && m_shown->sortColumn() == column;
    sortRows(column, again && m_shown->sortOrder() == Qt::AscendingOrder ? Qt::DescendingOrder : Qt::AscendingOrder);
}

void ListView::sortRows(int column, Qt::SortOrder order)
{
    if (!m_shown)
        return;
    header()->setSortIndicatorShown(column >= 0);
    header()->setSortIndicator(column, order);
    m_shown->sort(column, order);
}

void ListView::rowsAboutToBeRemoved(const QModelIndex &parent, int start, int end)
{
    // The view itself moves the selection to the next row; the list selects its first row, as
    // after a fill that no longer finds the selected entry.
    const QModelIndexList rows = selectionModel()->selectedRows();
    m_selectionRemoved = !rows.isEmpty() && rows.first().row() >= start && rows.first().row() <= end;
    QTableView::rowsAboutToBeRemoved(parent, start, end);
}

void ListView::keepSelection()
{
    const bool removed = std::exchange(m_selectionRemoved, false);
    if (!m_model || m_model->itemCount() == 0)
        return;
    const QModelIndexList rows = selectionModel()->selectedRows();
    if (!rows.isEmpty() && !removed) {
        scrollTo(rows.first());
        return;
    }
    const QModelIndex first = m_shown->index(0, 0);
    selectionModel()->setCurrentIndex(first, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    scrollTo(first);
}

int ListView::selectedItem() const
{
    const QModelIndexList rows = selectionModel() ? selectionModel()->selectedRows() : QModelIndexList();
    if (rows.isEmpty())
        throw Error(QStringLiteral("No entry is selected in the list."));
    return m_shown->listRow(rows.first().row()) + 1;
}

void ListView::selectItem(int item)
{
    if (!m_model || !m_shown || item < 1 || item > m_model->itemCount())
        throw Error(QStringLiteral("List item %1 does not exist.").arg(item));
    const QModelIndex index = m_shown->index(m_shown->viewRow(item - 1), 0);
    selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    scrollTo(index);
}

std::vector<int> ListView::shownRows() const
{
    std::vector<int> rows(std::size_t(m_shown ? m_shown->rowCount() : 0));
    for (std::size_t row = 0; row < rows.size(); ++row)
        rows[row] = m_shown->listRow(int(row));
    return rows;
}

void ListView::mouseMoveEvent(QMouseEvent *event)
{
    emit mouseMoved();
    QTableView::mouseMoveEvent(event);
}

void ListView::rememberSelection()
{
    if (!m_model)
        return;
    const QModelIndexList rows = selectionModel()->selectedRows();
    m_hadSelection = !rows.isEmpty();
    m_selectedText = m_hadSelection ? m_model->itemText(m_shown->listRow(rows.first().row()) + 1) : QString();
}

void ListView::restoreSelection()
{
    if (!m_model)
        return;
    // Column widths are the view's: a reset must not lose them.
    for (int index = 1; index <= m_model->columnHeaderCount(); ++index) {
        const int twips = m_model->columnHeaderWidth(index);
        if (twips >= 0)
            header()->resizeSection(index - 1, twipsToPixels(twips, this));
    }
    applyDraggedWidths();
    if (m_model->itemCount() == 0)
        return;

    int row = 0;
    if (m_hadSelection) {
        const QByteArray wanted = m_selectedText.toUtf8();
        const std::string_view key(wanted.constData(), std::size_t(wanted.size()));
        for (int r = 0; r < m_model->itemCount(); ++r) {
            if (m_model->cellUtf8(r, 0) == key) {
                row = m_shown->viewRow(r);
                break;
            }
        }
    }
    const QModelIndex index = m_shown->index(row, 0);
    selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    scrollTo(index);
}

bool ListView::eventFilter(QObject *watched, QEvent *event)
{
    // The user drags a column's edge, or double-clicks it, with a mouse button held on the
    // header; every other change of a width is the program's.
    if (watched == header()->viewport()) {
        if (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick)
            m_headerPressed = true;
        else if (event->type() == QEvent::MouseButtonRelease)
            m_headerPressed = static_cast<QMouseEvent *>(event)->buttons() != Qt::NoButton;
    }
    return QTableView::eventFilter(watched, event);
}

void ListView::noteColumnWidth(int column, int pixels)
{
    if (m_headerPressed)
        m_draggedWidths[column] = pixels;
}

void ListView::applyDraggedWidths()
{
    for (const auto &[column, pixels] : m_draggedWidths)
        header()->resizeSection(column, pixels);
}

void ListView::initViewItemOption(QStyleOptionViewItem *option) const
{
    QTableView::initViewItemOption(option);
    if (hasFocus())
        return;
    // Without the keyboard focus the selected row still shows, in a muted colour with the
    // ordinary text colour, so the one list that takes the keys stands out.
    QPalette &palette = option->palette;
    for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
        const QColor highlight = palette.color(group, QPalette::Highlight);
        const QColor window = palette.color(group, QPalette::Window);
        const auto mix = [](float back, float front) { return back * 0.75f + front * 0.25f; };
        palette.setColor(group, QPalette::Highlight,
                         QColor::fromRgbF(mix(window.redF(), highlight.redF()), mix(window.greenF(), highlight.greenF()),
                                          mix(window.blueF(), highlight.blueF())));
        palette.setColor(group, QPalette::HighlightedText, palette.color(group, QPalette::Text));
    }
}

void ListView::changeEvent(QEvent *event)
{
    QTableView::changeEvent(event);
    if (event->type() == QEvent::FontChange)
        fitRowHeight();
}

void ListView::fitRowHeight()
{
    // The height a row of text takes in the list's font, as a tree view gives its rows.
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    option.text = QStringLiteral("Xg");
    option.features |= QStyleOptionViewItem::HasDisplay;
    const QSize size = style()->sizeFromContents(QStyle::CT_ItemViewItem, &option, QSize(), this);
    verticalHeader()->setDefaultSectionSize(std::max(size.height(), fontMetrics().height()));
}

void ListView::focusInEvent(QFocusEvent *event)
{
    QTableView::focusInEvent(event);
    viewport()->update();
}

void ListView::focusOutEvent(QFocusEvent *event)
{
    QTableView::focusOutEvent(event);
    viewport()->update();
}

} // namespace tallymere
