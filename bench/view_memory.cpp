// The list view's own cost at a million rows, for the two views a ledger list can use over the
// same RowStore: a QTreeView with uniform row heights, or a QTableView with no grid, no row
// header, whole-row selection and a fixed row height. Reports the growth of the resident size
// when the view is given the rows and shown, the time of that first showing, and the time of a
// model reset (the row count kept), of one row appended at the end and of one row removed from
// the middle, each followed by what the program's list view does after it (the
// selected row kept and scrolled to) and by the events that then wait (layout, drawing).
// "none" gives the same figures for the store with no view, the part no view can save.
//   tallymere_view_memory tree|table|none [rows]

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include <QAbstractItemView>
#include <QApplication>
#include <QHeaderView>
#include <QTableView>
#include <QTreeView>

#include "core/lists/rowstore.h"

namespace {

using Clock = std::chrono::steady_clock;

long statusKiB(const char *field)
{
    std::ifstream status("/proc/self/status");
    std::string line;
    const std::string key = std::string(field) + ":";
    while (std::getline(status, line)) {
        if (line.rfind(key, 0) == 0)
            return std::stol(line.substr(key.size()));
    }
    return -1;
}

void resetPeak()
{
    std::ofstream("/proc/self/clear_refs") << "5";
}

/// A RowStore whose views can be told of a reset without a refill: the reset alone, timed.
class Store : public tallymere::RowStore
{
public:
    void reset()
    {
        beginResetModel();
        endResetModel();
    }
};

/// Row `i` shaped like the benchmark ledger's entries: record number twice, date, name, amount,
/// particulars.
tallymere::RowStore::Row makeRow(int i)
{
    tallymere::RowStore::Row row;
    const std::string number = std::to_string(i + 1);
    row.cells = {number,
                 number,
                 "20" + std::to_string(10 + i % 15) + "-" + std::to_string(10 + i % 3) + "-"
                     + std::to_string(10 + i % 19),
                 "Household " + std::to_string(i % 50),
                 std::to_string(i % 1000) + "." + std::to_string(10 + i % 90),
                 "Entry " + std::to_string(i) + " of the household books"};
    row.amount = tallymere::Amount::fromPlainDecimal(row.cells[4]);
    return row;
}

void fill(Store &store, int rows)
{
    tallymere::ListFill fill(store);
    for (int i = 0; i < rows; ++i) {
        const tallymere::RowStore::Row row = makeRow(i);
        fill.addItem(row.cells[0]);
        for (int c = 1; c < 6; ++c)
            fill.setSubItem(c, row.cells[std::size_t(c)]);
        fill.setAmount(row.amount);
    }
}

/// The view as the main window has it: a report list of 488 x 112 pixels, whole-row single
/// selection, no editing, the column widths of the income list.
std::unique_ptr<QAbstractItemView> makeView(bool tree)
{
    std::unique_ptr<QAbstractItemView> view;
    QHeaderView *header = nullptr;
    if (tree) {
        auto *treeView = new QTreeView;
        treeView->setRootIsDecorated(false);
        treeView->setItemsExpandable(false);
        treeView->setUniformRowHeights(true);
        treeView->setAllColumnsShowFocus(true);
        header = treeView->header();
        view.reset(treeView);
    } else {
        auto *tableView = new QTableView;
        tableView->setShowGrid(false);
        tableView->verticalHeader()->hide();
        tableView->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
        tableView->verticalHeader()->setDefaultSectionSize(tableView->fontMetrics().height() + 4);
        tableView->setWordWrap(false);
        tableView->setCornerButtonEnabled(false);
        header = tableView->horizontalHeader();
        header->setHighlightSections(false);
        header->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        view.reset(tableView);
    }
    view->setSelectionMode(QAbstractItemView::SingleSelection);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    header->setStretchLastSection(false);
    header->setSectionsMovable(false);
    header->setMinimumSectionSize(0);
    view->resize(488, 112);
    return view;
}

QHeaderView *columnHeader(QAbstractItemView &view)
{
    if (auto *tree = qobject_cast<QTreeView *>(&view))
        return tree->header();
    return static_cast<QTableView &>(view).horizontalHeader();
}

/// What the program's list view does after a change: a list with rows keeps a selected row, in
/// view; after a reset the column widths are set again.
void keepSelection(QAbstractItemView *shown, Store &store, bool afterReset)
{
    if (!shown)
        return;
    QAbstractItemView &view = *shown;
    if (afterReset) {
        const int widths[] = {0, 0, 113, 133, 67, 153}; // twips of the income list at 96 DPI
        for (int c = 0; c < 6; ++c)
            columnHeader(view)->resizeSection(c, widths[c]);
    }
    QModelIndex current = view.selectionModel()->currentIndex();
    if (!current.isValid()) {
        current = store.index(0, 0);
        view.selectionModel()->setCurrentIndex(current, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    }
    view.scrollTo(current);
}

double msSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

struct Timing {
    double call;  // the model call and the view's own follow-up
    double total; // the same and the events waiting after it
};

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const std::string kind = argc > 1 ? argv[1] : "";
    if (kind != "tree" && kind != "table" && kind != "none") {
        std::fprintf(stderr, "usage: %s tree|table|none [rows]\n", argv[0]);
        return 2;
    }
    const bool tree = kind == "tree";
    const int rows = argc > 2 ? std::stoi(argv[2]) : 1'000'000;

    Store store;
    for (const char *header : {"ID", "SR No", "Date", "Source", "Amount", "Particulars"})
        store.addColumnHeader(QString::fromLatin1(header));
    std::unique_ptr<QAbstractItemView> view;
    if (kind != "none") {
        view = makeView(tree);
        view->show();
    }
    QApplication::processEvents();

    const long storeBefore = statusKiB("VmRSS");
    fill(store, rows);
    const long storeAfter = statusKiB("VmRSS");

    // The view meets the rows: the model set, the selection kept, shown and drawn.
    resetPeak();
    const long viewBefore = statusKiB("VmRSS");
    const long peakBefore = statusKiB("VmHWM");
    const auto shownStart = Clock::now();
    if (view)
        view->setModel(&store);
    keepSelection(view.get(), store, true);
    QApplication::processEvents();
    const double firstShowing = msSince(shownStart);
    const long viewAfter = statusKiB("VmRSS");
    const long peakAfter = statusKiB("VmHWM");

    std::vector<double> resetCall, resetTotal, appendCall, appendTotal, removeCall, removeTotal;
    for (int repetition = 0; repetition < 3; ++repetition) {
        auto start = Clock::now();
        store.reset();
        keepSelection(view.get(), store, true);
        resetCall.push_back(msSince(start));
        QApplication::processEvents();
        resetTotal.push_back(msSince(start));
    }
    for (int repetition = 0; repetition < 3; ++repetition) {
        const tallymere::RowStore::Row row = makeRow(store.itemCount());
        auto start = Clock::now();
        store.appendRow(row);
        keepSelection(view.get(), store, false);
        appendCall.push_back(msSince(start));
        QApplication::processEvents();
        appendTotal.push_back(msSince(start));
    }
    for (int repetition = 0; repetition < 3; ++repetition) {
        auto start = Clock::now();
        store.removeRecordRow(store.itemCount() / 2);
        keepSelection(view.get(), store, false);
        removeCall.push_back(msSince(start));
        QApplication::processEvents();
        removeTotal.push_back(msSince(start));
    }
    const long afterAll = statusKiB("VmRSS");

    std::printf("%s, %d rows\n", kind == "none" ? "no view" : tree ? "QTreeView" : "QTableView", rows);
    std::printf("  store: resident growth %ld KiB, %.1f bytes per row (held: %.1f bytes per row)\n",
                storeAfter - storeBefore, double(storeAfter - storeBefore) * 1024.0 / rows,
                double(store.itemMemory()) / rows);
    std::printf("  view:  resident growth %ld KiB, %.1f bytes per row; peak growth %ld KiB, %.1f bytes per row\n",
                viewAfter - viewBefore, double(viewAfter - viewBefore) * 1024.0 / rows, peakAfter - peakBefore,
                double(peakAfter - peakBefore) * 1024.0 / rows);
    std::printf("  first showing (model set, selection kept, drawn): %.1f ms\n", firstShowing);
    std::printf("  reset:  %.2f ms (with the waiting events %.2f ms), median of 3\n", median(resetCall),
                median(resetTotal));
    std::printf("  append: %.3f ms (with the waiting events %.3f ms), median of 3\n", median(appendCall),
                median(appendTotal));
    std::printf("  remove: %.3f ms (with the waiting events %.3f ms), median of 3\n", median(removeCall),
                median(removeTotal));
    std::printf("  resident after the resets, appends and removals: %ld KiB above the view's first showing\n",
                afterAll - viewAfter);
    return 0;
}
