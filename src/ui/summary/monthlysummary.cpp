#include "ui/summary/monthlysummary.h"

#include <algorithm>
#include <cmath>
#include <map>

#include <QAbstractBarSeries>
#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QHorizontalBarSeries>
#include <QKeySequence>
#include <QLabel>
#include <QLegend>
#include <QLocale>
#include <QPushButton>
#include <QShortcut>
#include <QStackedWidget>
#include <QTableView>
#include <QVBoxLayout>
#include <QValueAxis>

#include "core/ledger/ledger.h"
#include "ui/summary/monthtable.h"
#include "ui/windows/icons.h"

namespace tallymere {
namespace {

// A chart of shares shows this many names; the rest are summed into one bar.
constexpr std::size_t kSharesShown = 10;
// Longer names are cut on the axis, with an ellipsis.
constexpr qsizetype kNameLength = 28;
constexpr int kMonthsShown = 12;

const QColor kIncomeColour(0x2e, 0x7d, 0x32);
const QColor kExpensesColour(0xc6, 0x28, 0x28);

QString monthLabel(int key)
{
    return SummaryMonth{key, {}, {}}.label();
}

QString shortName(const QString &name)
{
    QString shown = name.simplified();
    if (shown.isEmpty())
        return QStringLiteral("(blank)");
    if (shown.size() > kNameLength)
        shown = shown.left(kNameLength - 1) + QChar(0x2026);
    return shown;
}

/// A month's short name on the months chart, where the title gives the years ("Jan").
QString shortMonth(int key)
{
    return QLocale().monthName(key % 12 + 1, QLocale::ShortFormat);
}

/// A value axis over `low` to `high` (0 always inside) with `ticks` lines, with labels a reader
/// takes in at once.
QValueAxis *valueAxis(double low, double high, int ticks)
{
    auto *axis = new QValueAxis;
    axis->setTickCount(ticks);
    low = std::min(low, 0.0);
    high = std::max(high, 0.0);
    if (!std::isfinite(low) || !std::isfinite(high)) {
        low = 0;
        high = 1;
    }
    if (low == high)
        high = low + 1;
    axis->setRange(low, high);
    axis->applyNiceNumbers();
    const double largest = std::max(std::fabs(axis->min()), std::fabs(axis->max()));
    axis->setLabelFormat(largest >= 1e9 ? QStringLiteral("%.3g") : largest >= 10 ? QStringLiteral("%.0f")
                                                                                  : QStringLiteral("%.2f"));
    return axis;
}

/// Puts `series` on `chart`, its bars named by a category axis of `labels` at `labelsAt` and
/// measured by an axis of amounts from `low` to `high` at `amountsAt`.
void addBars(QChart *chart, QAbstractBarSeries *series, const QStringList &labels, Qt::Alignment labelsAt,
             double low, double high, Qt::Alignment amountsAt)
{
    chart->addSeries(series);
    auto *categories = new QBarCategoryAxis;
    categories->append(labels);
    chart->addAxis(categories, labelsAt);
    series->attachAxis(categories);
    QValueAxis *amounts = valueAxis(low, high, 5);
    chart->addAxis(amounts, amountsAt);
    series->attachAxis(amounts);
}

void clearChart(QChart *chart)
{
    chart->removeAllSeries();
    const auto axes = chart->axes();
    for (QAbstractAxis *axis : axes) {
        chart->removeAxis(axis);
        delete axis;
    }
}

} // namespace

MonthlySummary::MonthlySummary(Ledger &ledger, QWidget *mainWindow)
    : ModelessWindow(mainWindow, Qt::Window),
      m_mainWindow(mainWindow),
      m_ledger(ledger),
      m_summary(ledger.incomeList(), ledger.expenseList()),
      m_model(new MonthTable(this)),
      m_table(new QTableView),
      m_pages(new QStackedWidget),
      m_nothingYet(new QLabel),
      m_monthsChart(new QChart),
      m_expensesChart(new QChart),
      m_incomeChart(new QChart),
      m_sendToExcel(new QPushButton(QStringLiteral("Send Summary To Excel")))
{
    setObjectName(QStringLiteral("MonthlySummary"));
    resize(1080, 720);

    m_table->setObjectName(QStringLiteral("MonthTable"));
    m_table->setAccessibleName(QStringLiteral("Months"));
    m_table->setModel(m_model);
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setTabKeyNavigation(false);
    m_table->verticalHeader()->hide();
    m_table->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    m_table->horizontalHeader()->setHighlightSections(false);
    m_table->setMinimumWidth(380);
    m_table->setMaximumWidth(460);

    m_nothingYet->setObjectName(QStringLiteral("NothingYet"));
    m_nothingYet->setText(
        QStringLiteral("Nothing to show yet: once income or expenses are entered, each month appears here."));
    m_nothingYet->setAlignment(Qt::AlignCenter);
    m_nothingYet->setWordWrap(true);

    auto *charts = new QWidget;
    auto *chartsLayout = new QVBoxLayout(charts);
    chartsLayout->setContentsMargins(0, 0, 0, 0);
    auto *sharesLayout = new QHBoxLayout;
    const std::array<QChart *, 3> allCharts{m_monthsChart, m_expensesChart, m_incomeChart};
    const std::array<const char *, 3> names{"MonthsChart", "ExpensesChart", "IncomeChart"};
    for (std::size_t i = 0; i < allCharts.size(); ++i) {
        auto *view = new QChartView(allCharts[i]);
        view->setObjectName(QLatin1String(names[i]));
        view->setRenderHint(QPainter::Antialiasing);
        view->setMinimumHeight(260);
        m_chartViews[i] = view;
    }
    chartsLayout->addWidget(m_chartViews[0], 1);
    sharesLayout->addWidget(m_chartViews[1]);
    sharesLayout->addWidget(m_chartViews[2]);
    chartsLayout->addLayout(sharesLayout, 1);
    m_pages->addWidget(charts);
    m_pages->addWidget(m_nothingYet);

    auto *body = new QHBoxLayout;
    body->addWidget(m_table);
    body->addWidget(m_pages, 1);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    m_sendToExcel->setObjectName(QStringLiteral("SendSummaryToExcel"));
    buttons->addWidget(m_sendToExcel);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(body, 1);
    layout->addLayout(buttons);

    connect(m_sendToExcel, &QPushButton::clicked, this, &MonthlySummary::sendSummaryToExcel);
    connect(&m_summary, &MonthSums::listsChanged, this, &MonthlySummary::scheduleRefresh);
    // The charts follow the selection, not the current row: a click makes the row current
    // before it selects it, so the current row would show the month that was selected before.
    connect(m_table->selectionModel(), &QItemSelectionModel::selectionChanged, this, &MonthlySummary::showCharts);
    connect(m_model, &QAbstractItemModel::modelReset, this, [this] { selectRow(0); });

    auto *escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, this, &QWidget::close);

    if (m_mainWindow)
        m_mainWindow->installEventFilter(this);
}

MonthlySummary::~MonthlySummary() = default;

void MonthlySummary::Form_Load()
{
    setWindowTitle(QStringLiteral("Monthly Summary"));
    setWindowIcon(programIcon());
    followMainWindow();
    refreshNow();
}

void MonthlySummary::scheduleRefresh()
{
    m_refresh.request();
}

void MonthlySummary::refreshNow()
{
    // The selected month stays selected while it has entries.
    const int row = selectedRow();
    const QString selected = row >= 0 && row < m_model->rowCount() ? m_model->rows()[std::size_t(row)].month : QString();
    m_refreshing = true;
    m_summary.refresh();
    m_model->setRows(m_summary.tableRows(m_ledger.totalIncome(), m_ledger.totalExpenses()));
    const auto &rows = m_model->rows();
    const auto found = std::find_if(rows.begin(), rows.end(), [&](const SummaryRow &r) { return r.month == selected; });
    if (!selected.isEmpty() && found != rows.end() && int(found - rows.begin()) != selectedRow())
        selectRow(int(found - rows.begin()));
    m_pages->setCurrentIndex(m_summary.months().empty() ? 1 : 0);
    m_refreshing = false;
    showCharts();
}

bool MonthlySummary::chartsShown() const
{
    return m_pages->currentIndex() == 0;
}

int MonthlySummary::selectedRow() const
{
    const QModelIndexList rows = m_table->selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.first().row();
}

void MonthlySummary::selectRow(int row)
{
    if (row < 0 || row >= m_model->rowCount())
        return;
    m_table->selectionModel()->setCurrentIndex(m_model->index(row, 0),
                                               QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

std::optional<int> MonthlySummary::selectedKey() const
{
    const int row = selectedRow();
    const auto &months = m_summary.months();
    if (row < 0 || row >= int(months.size()) || months[std::size_t(row)].key == SummaryMonth::kNoDate)
        return std::nullopt;
    return months[std::size_t(row)].key;
}

void MonthlySummary::showCharts()
{
    if (m_refreshing || !chartsShown())
        return;
    showMonths();
    showShares(false);
    showShares(true);
}

void MonthlySummary::showMonths()
{
    clearChart(m_monthsChart);
    // The twelve calendar months up to the selected one; for "No date" and "All", up to the
    // newest month.
    std::optional<int> last = selectedKey();
    std::map<int, const SummaryMonth *> byKey;
    for (const SummaryMonth &month : m_summary.months()) {
        if (month.key != SummaryMonth::kNoDate)
            byKey.emplace(month.key, &month);
    }
    if (!last && !byKey.empty())
        last = byKey.rbegin()->first;
    if (!last) {
        m_monthsChart->setTitle(QStringLiteral("No entry has a date yet"));
        return;
    }
    auto *income = new QBarSet(QStringLiteral("Income"));
    auto *expenses = new QBarSet(QStringLiteral("Expenses"));
    income->setColor(kIncomeColour);
    expenses->setColor(kExpensesColour);
    QStringList labels;
    double low = 0;
    double high = 0;
    for (int key = *last - kMonthsShown + 1; key <= *last; ++key) {
        const auto month = byKey.find(key);
        const double in = month == byKey.end() ? 0 : month->second->income.toDouble();
        const double out = month == byKey.end() ? 0 : month->second->expenses.toDouble();
        income->append(in);
        expenses->append(out);
        labels.append(key >= 0 ? shortMonth(key) : QString());
        low = std::min({low, in, out});
        high = std::max({high, in, out});
    }
    auto *series = new QBarSeries;
    series->append(income);
    series->append(expenses);
    addBars(m_monthsChart, series, labels, Qt::AlignBottom, low, high, Qt::AlignLeft);
    m_monthsChart->setTitle(QStringLiteral("Income and expenses, %1 to %2")
                                .arg(monthLabel(std::max(0, *last - kMonthsShown + 1)), monthLabel(*last)));
    dressChart(m_monthsChart);
}

void MonthlySummary::showShares(bool income)
{
    QChart *chart = income ? m_incomeChart : m_expensesChart;
    clearChart(chart);
    const int row = selectedRow();
    const auto &months = m_summary.months();
    const bool all = row < 0 || row >= int(months.size());
    std::optional<int> key;
    if (!all)
        key = months[std::size_t(row)].key;
    const QString when = all ? QStringLiteral("all months") : monthLabel(*key);
    std::vector<SummaryShare> shares = m_summary.shares(income, key);
    const QString what = income ? QStringLiteral("Income by source") : QStringLiteral("Expenses by category");
    if (shares.empty()) {
        chart->setTitle(QStringLiteral("%1, %2: none").arg(what, when));
        dressChart(chart);
        return;
    }
    // The largest first, at the top; beyond the first few the rest make one bar at the bottom.
    double rest = 0;
    const std::size_t restCount = shares.size() > kSharesShown ? shares.size() - (kSharesShown - 1) : 0;
    if (restCount > 0) {
        for (std::size_t i = kSharesShown - 1; i < shares.size(); ++i)
            rest += shares[i].amount;
        shares.resize(kSharesShown - 1);
    }
    auto *set = new QBarSet(what);
    set->setColor(income ? kIncomeColour : kExpensesColour);
    QStringList names;
    double low = 0;
    double high = 0;
    if (restCount > 0) {
        set->append(rest);
        names.append(QStringLiteral("%1 others").arg(restCount));
        low = std::min(low, rest);
        high = std::max(high, rest);
    }
    for (auto share = shares.rbegin(); share != shares.rend(); ++share) {
        set->append(share->amount);
        // Names must differ on a category axis: a cut name that meets another gets a mark.
        QString name = shortName(share->name);
        while (names.contains(name))
            name += QChar(0x200B);
        names.append(name);
        low = std::min(low, share->amount);
        high = std::max(high, share->amount);
    }
    auto *series = new QHorizontalBarSeries;
    series->append(set);
    addBars(chart, series, names, Qt::AlignLeft, low, high, Qt::AlignBottom);
    chart->legend()->hide();
    chart->setTitle(QStringLiteral("%1, %2").arg(what, when));
    dressChart(chart);
}

void MonthlySummary::followMainWindow()
{
    if (!m_mainWindow)
        return;
    setFont(m_mainWindow->font());
    setPalette(m_mainWindow->palette());
    for (QChart *chart : {m_monthsChart, m_expensesChart, m_incomeChart})
        dressChart(chart);
}

void MonthlySummary::dressChart(QChart *chart) const
{
    // Axis labels and the legend in the window's font but not bold: more of them fit.
    QFont text = font();
    QFont title = text;
    title.setPointSizeF(text.pointSizeF() + 1);
    text.setBold(false);
    const QColor ink = palette().color(QPalette::WindowText);
    chart->setBackgroundBrush(palette().brush(QPalette::Window));
    chart->setBackgroundRoundness(0);
    chart->setTitleFont(title);
    chart->setTitleBrush(ink);
    chart->legend()->setFont(text);
    chart->legend()->setLabelColor(ink);
    const auto axes = chart->axes();
    for (QAbstractAxis *axis : axes) {
        axis->setLabelsFont(text);
        axis->setLabelsColor(ink);
    }
    const auto views = m_chartViews;
    for (QChartView *view : views) {
        if (view && view->chart() == chart)
            view->setBackgroundBrush(palette().brush(QPalette::Window));
    }
}

void MonthlySummary::closeEvent(QCloseEvent *event)
{
    emit closing();
    event->accept();
    emit closed();
}

bool MonthlySummary::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_mainWindow
        && (event->type() == QEvent::FontChange || event->type() == QEvent::PaletteChange
            || event->type() == QEvent::StyleChange))
        followMainWindow();
    return QWidget::eventFilter(watched, event);
}

} // namespace tallymere
