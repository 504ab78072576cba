// The export of a list to a workbook against the floor of libxlsxwriter writing the same cells by
// itself, both in its constant-memory mode.

#include <cstdio>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QTemporaryDir>

#include <xlsxwriter.h>

#include "core/lists/rowstore.h"
#include "core/export/listexport.h"
#include "core/platform/mainwindow.h"
#include "core/export/spreadsheetapplication.h"
#include "core/platform/messagebox.h"

namespace tallymere {
namespace {

const char *const kSources[] = {"Salary", "Freelance work", "Gift", "Interest", "Rent received"};
const char *const kParticulars[] = {"August pay", "Invoice 2021-118 for the website of the bakery",
                                    "Birthday", "Savings account, second quarter", ""};

struct Entry {
    std::string srNo;
    std::string date;
    std::string source;
    std::string amount;
    std::string particulars;
    lxw_datetime day;
    double amountValue;
};

// Rows shaped like the income list: record number, ISO date, source, amount, particulars.
std::vector<Entry> makeEntries(int rows)
{
    std::vector<Entry> entries;
    entries.reserve(std::size_t(rows));
    for (int i = 0; i < rows; ++i) {
        Entry e;
        e.srNo = std::to_string(i + 1);
        e.day = {2000 + i % 25, 1 + i % 12, 1 + i % 28, 0, 0, 0.0};
        char date[11];
        std::snprintf(date, sizeof date, "%04d-%02d-%02d", e.day.year, e.day.month, e.day.day);
        e.date = date;
        e.source = kSources[i % 5];
        e.amountValue = (i % 100'000) + (i % 100) / 100.0;
        char amount[32];
        std::snprintf(amount, sizeof amount, "%.2f", e.amountValue);
        e.amount = amount;
        e.particulars = kParticulars[i % 5];
        entries.push_back(std::move(e));
    }
    return entries;
}

class QuietHost : public MainWindow
{
public:
    int MousePointer() const override { return 0; }
    void setMousePointer(int) override {}
    void setTotalCaptions(const QString &, const QString &, const QString &) override {}
};

void BM_ExportList(benchmark::State &state)
{
    const QLocale locale;
    QLocale::setDefault(QLocale::c());
    const std::vector<Entry> entries = makeEntries(int(state.range(0)));
    RowStore list;
    for (const char *header : {"ID", "SR No", "Date", "Source", "Amount", "Particulars"})
        list.addColumnHeader(QString::fromLatin1(header));
    {
        ListFill fill(list);
        for (const Entry &e : entries) {
            fill.addItem(e.srNo);
            fill.setSubItem(1, e.srNo);
            fill.setSubItem(2, e.date);
            fill.setSubItem(3, e.source);
            fill.setSubItem(4, e.amount);
            fill.setSubItem(5, e.particulars);
        }
    }

    int boxes = 0;
    platform::setMessageBoxHandler([&boxes](const QString &, int, const QString &) {
        ++boxes;
        return int(platform::MessageResult::Ok);
    });
    setSpreadsheetProbe([] { return true; });
    QString opened;
    setSpreadsheetLauncher([&opened](const QString &path) {
        opened = path;
        return true;
    });

    QuietHost host;
    qint64 bytes = 0;
    for (auto _ : state) {
        exportList(list, QStringLiteral("in Coinfold2021/08/31.Form1.PushButton4_Click "), host);
        state.PauseTiming();
        bytes = QFileInfo(opened).size();
        QFileInfo(opened).absoluteDir().removeRecursively();
        state.ResumeTiming();
    }
    if (boxes > 0)
        state.SkipWithError("the export reported failures");
    state.counters["file_MB"] = double(bytes) / 1e6;
    state.SetItemsProcessed(state.iterations() * state.range(0));

    setSpreadsheetLauncher({});
    setSpreadsheetProbe({});
    platform::setMessageBoxHandler({});
    QLocale::setDefault(locale);
}
BENCHMARK(BM_ExportList)->Arg(100'000)->Unit(benchmark::kMillisecond);

// The floor: the same header and typed cells, already converted, written by libxlsxwriter alone.
void BM_RawXlsxwriter(benchmark::State &state)
{
    const std::vector<Entry> entries = makeEntries(int(state.range(0)));
    QTemporaryDir folder;
    const QByteArray path = QFile::encodeName(folder.filePath(QStringLiteral("raw.xlsx")));
    qint64 bytes = 0;
    for (auto _ : state) {
        lxw_workbook_options options{};
        options.constant_memory = LXW_TRUE;
        lxw_workbook *book = workbook_new_opt(path.constData(), &options);
        lxw_worksheet *sheet = workbook_add_worksheet(book, nullptr);
        lxw_format *dateFormat = workbook_add_format(book);
        format_set_num_format(dateFormat, "yyyy-mm-dd");
        const char *headers[] = {"SR No", "Date", "Source", "Amount", "Particulars"};
        for (lxw_col_t c = 0; c < 5; ++c)
            worksheet_write_string(sheet, 0, c, headers[c], nullptr);
        lxw_row_t row = 1;
        for (const Entry &e : entries) {
            worksheet_write_number(sheet, row, 0, double(row), nullptr);
            lxw_datetime day = e.day;
            worksheet_write_datetime(sheet, row, 1, &day, dateFormat);
            worksheet_write_string(sheet, row, 2, e.source.c_str(), nullptr);
            worksheet_write_number(sheet, row, 3, e.amountValue, nullptr);
            worksheet_write_string(sheet, row, 4, e.particulars.c_str(), nullptr);
            ++row;
        }
        for (lxw_col_t c = 0; c < 5; ++c)
            worksheet_set_column(sheet, c, c, 12, nullptr);
        if (workbook_close(book) != LXW_NO_ERROR)
            state.SkipWithError("libxlsxwriter could not write the workbook");
        state.PauseTiming();
        bytes = QFileInfo(folder.filePath(QStringLiteral("raw.xlsx"))).size();
        QFile::remove(folder.filePath(QStringLiteral("raw.xlsx")));
        state.ResumeTiming();
    }
    state.counters["file_MB"] = double(bytes) / 1e6;
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_RawXlsxwriter)->Arg(100'000)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace tallymere
