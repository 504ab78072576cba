// Reading a bank's CSV statement of 100,000 rows (a German export: preamble, header, semicolons,
// decimal commas, day-first dates, a running balance) into transactions, beside the floor of
// decoding the same bytes and splitting them into lines. Counters: the time per row, the heap the
// statement holds per row when read, and the growth of the process's peak per row while reading.
//   tallymere_import_bench --benchmark_filter=Csv

#include <malloc.h>

#include <benchmark/benchmark.h>

#include <QByteArray>
#include <QDate>
#include <QRandomGenerator>
#include <QString>

#include "core/import/bankstatement.h"
#include "support/memoryprobe.h"

namespace tallymere {
namespace {

const char *const kPayees[] = {"Bäckerei Sonnenschein", "Stadtwerke Musterstadt", "Arbeitgeber GmbH",
                               "Supermarkt am Markt", "Buchhandlung Seitenweise"};
const char *const kMemos[] = {"Brötchen und Kaffee", "Abschlag Strom März, Vertrag 4711", "Gehalt",
                              "Einkauf", "\"Roman; Taschenbuch\""};

QByteArray germanCsv(int rows)
{
    QByteArray csv = "Kontoinhaber;Erika Beispiel\nKonto;DE00 1234 5678 9012 3456 78\n\n"
                     "Buchungstag;Wertstellung;Auftraggeber / Empfänger;Verwendungszweck;Betrag;Saldo\n";
    QRandomGenerator random(18);
    QDate day(2015, 1, 1);
    qint64 balanceCents = 100000;
    for (int i = 0; i < rows; ++i) {
        if (i % 30 == 29)
            day = day.addDays(1);
        const int pick = int(random.bounded(5));
        const qint64 cents = pick == 2 ? 250000 : -qint64(random.bounded(1, 200000));
        balanceCents += cents;
        auto money = [](qint64 value) {
            return QString::number(double(value) / 100, 'f', 2).replace(u'.', u',').toUtf8() + " €";
        };
        const QByteArray date = day.toString(u"dd.MM.yyyy").toUtf8();
        csv += date + ';' + date + ';' + kPayees[pick] + ';' + kMemos[pick] + ';' + money(cents) + ';'
            + money(balanceCents) + '\n';
    }
    return csv;
}

std::size_t heapInUse()
{
    const struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;
}

void BM_ReadCsvStatement(benchmark::State &state)
{
    const int rows = int(state.range(0));
    const QByteArray bytes = germanCsv(rows);
    std::size_t held = 0;
    long peakGrowth = 0;
    {
        test::resetPeak(); // the peak starts again from here
        const long before = test::statusKiB("VmHWM");
        const std::size_t heapBefore = heapInUse();
        const import::BankStatement statement = import::readStatement(bytes, QStringLiteral("bench.csv"));
        held = heapInUse() - heapBefore;
        peakGrowth = test::statusKiB("VmHWM") - before;
        if (int(statement.transactions.size()) != rows)
            state.SkipWithError("not every row was read");
    }
    for (auto _ : state) {
        import::BankStatement statement = import::readStatement(bytes, QStringLiteral("bench.csv"));
        benchmark::DoNotOptimize(statement);
    }
    state.counters["time_per_row"] = benchmark::Counter(double(rows), benchmark::Counter::kIsIterationInvariantRate
                                                                           | benchmark::Counter::kInvert);
    state.counters["held_bytes_per_row"] = double(held) / rows;
    state.counters["peak_bytes_per_row"] = double(peakGrowth) * 1024 / rows;
    state.counters["file_bytes_per_row"] = double(bytes.size()) / rows;
}
BENCHMARK(BM_ReadCsvStatement)->Arg(100'000)->Unit(benchmark::kMillisecond);

/// The floor: the same bytes decoded and cut into lines, nothing read from them.
void BM_DecodeAndSplitLinesFloor(benchmark::State &state)
{
    const int rows = int(state.range(0));
    const QByteArray bytes = germanCsv(rows);
    for (auto _ : state) {
        const QString text = QString::fromUtf8(bytes);
        const QList<QStringView> lines = QStringView(text).split(u'\n');
        benchmark::DoNotOptimize(lines.size());
    }
    state.counters["time_per_row"] = benchmark::Counter(double(rows), benchmark::Counter::kIsIterationInvariantRate
                                                                           | benchmark::Counter::kInvert);
}
BENCHMARK(BM_DecodeAndSplitLinesFloor)->Arg(100'000)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace tallymere
