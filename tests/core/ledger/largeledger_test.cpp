// A ledger of a million entries, read by the real fill into the income list: every cell exact,
// and the total to the cent.

#include <gtest/gtest.h>

#include <iostream>

#include <sqlite3.h>

#include <QElapsedTimer>
#include <QFile>
#include <QLocale>

#include "ui/app/form1.h"
#include "ui/controls/listview.h"
#include "core/db/ledgerschema.h"
#include "core/ledger/modexpense.h"
#include "support/ledgerfile.h"
#include "support/testenvironment.h"

namespace tallymere {
namespace {

constexpr int kEntries = 1000000;

/// The four values of entry i (0-based), as UTF-8: every amount a whole number of quarters, so
/// that the sum is exact in a double.
struct EntryValues {
    std::string date;
    std::string source;
    std::string amount;
    std::string particulars;
};

EntryValues valuesOf(int i)
{
    static const char *quarters[] = {"", ".25", ".5", ".75"};
    char date[16];
    std::snprintf(date, sizeof date, "%04d-%02d-%02d", 2000 + i % 25, 1 + i % 12, 1 + i % 28);
    return {date, "Source " + std::to_string(i % 97) + " \xe2\x82\xac",
            std::to_string(i % 1000) + quarters[i % 4],
            "Entry " + std::to_string(i) + " \xf0\xa0\xae\xb7 \xf0\x9f\xa7\xbe"};
}

TEST(LargeLedger, millionEntriesAreListedExactlyWithTheirTotal)
{
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    test::TestEnvironment env;
    const QString ledger = ledgerPath(env.folder());
    test::makeLedger(ledger);
    QElapsedTimer timer;
    timer.start();
    {
        // The rows go in through one prepared insert in one transaction: a million statements
        // built as text would take most of the time this test may have. The statement texts
        // themselves are proven on every kind of value elsewhere; here the size is the point.
        sqlite3 *db = nullptr;
        ASSERT_EQ(sqlite3_open_v2(QFile::encodeName(ledger).constData(), &db, SQLITE_OPEN_READWRITE, nullptr),
                  SQLITE_OK);
        sqlite3_exec(db, "begin", nullptr, nullptr, nullptr);
        sqlite3_stmt *insert = nullptr;
        sqlite3_prepare_v2(db, "insert into income (date, source, amount, particulars) values (?, ?, ?, ?)", -1,
                           &insert, nullptr);
        for (int i = 0; i < kEntries; ++i) {
            const EntryValues v = valuesOf(i);
            sqlite3_bind_text(insert, 1, v.date.data(), int(v.date.size()), SQLITE_TRANSIENT);
            sqlite3_bind_text(insert, 2, v.source.data(), int(v.source.size()), SQLITE_TRANSIENT);
            sqlite3_bind_text(insert, 3, v.amount.data(), int(v.amount.size()), SQLITE_TRANSIENT);
            sqlite3_bind_text(insert, 4, v.particulars.data(), int(v.particulars.size()), SQLITE_TRANSIENT);
            ASSERT_EQ(sqlite3_step(insert), SQLITE_DONE);
            sqlite3_reset(insert);
        }
        sqlite3_finalize(insert);
        ASSERT_EQ(sqlite3_exec(db, "commit", nullptr, nullptr, nullptr), SQLITE_OK);
        sqlite3_close(db);
    }
    const qint64 stored = timer.restart();

    Form1 w;
    w.Form_Load();
    const qint64 filled = timer.restart();
    EXPECT_TRUE(env.boxes().empty());

    const RowStore &list = w.ui().ListView1->items();
    ASSERT_EQ(list.itemCount(), kEntries);
    int wrong = 0;
    for (int i = 0; i < kEntries && wrong < 5; ++i) {
        const EntryValues v = valuesOf(i);
        const std::string number = std::to_string(i + 1);
        const std::string_view cells[] = {list.cellUtf8(i, 0), list.cellUtf8(i, 1), list.cellUtf8(i, 2),
                                          list.cellUtf8(i, 3), list.cellUtf8(i, 4), list.cellUtf8(i, 5)};
        const std::string_view expected[] = {number, number, v.date, v.source, v.amount, v.particulars};
        for (int c = 0; c < 6; ++c) {
            if (cells[c] != expected[c]) {
                ADD_FAILURE() << "item " << i + 1 << " column " << c << ": " << cells[c] << " instead of "
                              << expected[c];
                ++wrong;
            }
        }
    }
    // The cells a user reads are the same texts.
    EXPECT_EQ(list.subItem(kEntries, 5), QString::fromStdString(valuesOf(kEntries - 1).particulars));

    // 1000 * (0 + 1 + ... + 999) whole amounts, and 250000 times 0.25 + 0.5 + 0.75.
    EXPECT_EQ(w.ledger().totalIncome().toDouble(), 499875000.0);
    EXPECT_EQ(w.ui().lblTotalIncome->text(), QStringLiteral("Total Income: 499875000"));
    EXPECT_EQ(w.ui().lblAvailableBalance->text(), QStringLiteral("Available Balance: 499875000"));
    std::cout << kEntries << " entries stored in " << stored << " ms, filled in " << filled << " ms\n";

    QLocale::setDefault(QLocale::c());
}

} // namespace
} // namespace tallymere
