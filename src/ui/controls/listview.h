#pragma once

#include <map>
#include <vector>

#include <QPointer>
#include <QString>
#include <QHeaderView>
#include <QTableView>

#include "core/lists/rowstore.h"

namespace tallymere {

class SortedRows;

/// The list view control of the main window: a report view with a header row, whole-row single
/// selection and uniform row heights over a list of the ledger. After every fill or change it
/// keeps the selected entry (found by its item text) when it is still there, otherwise it
/// selects the first row, so that a list with rows always has a selected item.
///
/// A click on a column header sorts the rows shown by that column (dates as dates, amounts as
/// numbers, other columns as text in the user's collation), a second click reverses; the sort
/// holds for the rest of the run. Items keep their indices in the list: SelectedItem names the
/// entry shown selected, wherever the sort shows it. The selected row shows in the highlight
/// colour only while the list has the keyboard focus, in a muted one otherwise; a column width
/// the user dragged stays through every refill of the run.
class ListView : public QTableView
{
    Q_OBJECT

public:
    explicit ListView(QWidget *parent = nullptr);

    /// The header row of the columns.
    QHeaderView *header() const { return horizontalHeader(); }

    /// Shows `items` (a list of the ledger, which outlives the view).
    void setItems(RowStore &items);
    RowStore &items() noexcept { return *m_model; }
    const RowStore &items() const noexcept { return *m_model; }

    /// SelectedItem: the 1-based index in items() of the selected item; throws tallymere::Error
    /// when no item is selected.
    int selectedItem() const;

    /// The rows of items() (0-based) in the order shown.
    std::vector<int> shownRows() const;

    /// Selects item `item` (1-based) of items() and scrolls it into view; throws
    /// tallymere::Error when there is no such item.
    void selectItem(int item);

    /// Sorts the rows shown by `column` (0-based), as a click on its header does; -1 shows the
    /// list's own order.
    void sortRows(int column, Qt::SortOrder order);

signals:
    /// The mouse moved over the list.
    void mouseMoved();

protected:
    void mouseMoveEvent(QMouseEvent *event) override;
    void rowsAboutToBeRemoved(const QModelIndex &parent, int start, int end) override;
    void initViewItemOption(QStyleOptionViewItem *option) const override;
    void changeEvent(QEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void headerClicked(int column);
    void rememberSelection();
    void restoreSelection();
    /// Rows as high as a line of text in the list's font.
    void fitRowHeight();
    /// After a change of single rows: a list with rows keeps a selected item, in view.
    void keepSelection();

    QPointer<RowStore> m_model; // null once the list is gone before the view
    SortedRows *m_shown = nullptr;
    QString m_selectedText;
    bool m_hadSelection = false;
    bool m_selectionRemoved = false; // the selected entry went with the rows removed last

    /// A column changed width; while a mouse button is held on the header, by the user's hand.
    void noteColumnWidth(int column, int pixels);
    /// Gives the columns the user dragged their dragged widths again.
    void applyDraggedWidths();

    std::map<int, int> m_draggedWidths; // column (0-based) -> pixels
    bool m_headerPressed = false;       // a mouse button is held on the header
};

} // namespace tallymere
