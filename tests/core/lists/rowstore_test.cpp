#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QSignalSpy>

#include "ui/controls/listview.h"
#include "core/lists/rowstore.h"
#include "core/errors/error.h"

namespace tallymere {
namespace {

void addHeaders(RowStore &model)
{
    for (const char *text : {"ID", "SR No", "Date", "Source", "Amount", "Particulars"})
        model.addColumnHeader(QLatin1String(text));
}

void fillRows(RowStore &model, const std::vector<std::vector<std::string>> &rows)
{
    ListFill fill(model);
    for (const auto &row : rows) {
        fill.addItem(row[0]);
        for (std::size_t i = 1; i < row.size(); ++i)
            fill.setSubItem(int(i), row[i]);
    }
}

TEST(RowStore, keepsItemsInOrderWithEveryCellIntact)
{
    RowStore model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    addHeaders(model);
    const std::string longText(10000, 'x');
    const std::string hugeText(70000, 'y'); // longer than a short cell length can say
    fillRows(model, {{"1", "1", "2021-12-05", "Salary", "1500", "December"},
                     {"2", "2", "", "Café 家 🙂 שלום", "12.50", longText},
                     {"5", "5"},
                     {"6", "6", "2021-12-06", "Big", "1", hugeText}});

    ASSERT_EQ(model.itemCount(), 4);
    EXPECT_EQ(model.subItem(4, 5).size(), 70000);
    EXPECT_EQ(model.subItem(4, 4), QStringLiteral("1"));
    EXPECT_EQ(model.itemText(2), QStringLiteral("2"));
    EXPECT_EQ(model.subItem(2, 3), QStringLiteral("Café 家 🙂 שלום"));
    EXPECT_EQ(model.subItem(2, 5).size(), 10000);
    EXPECT_EQ(model.subItem(2, 2), QString());
    EXPECT_EQ(model.subItem(3, 4), QString()); // sub-items never set stay empty
    EXPECT_EQ(model.data(model.index(0, 5)).toString(), QStringLiteral("December"));
    EXPECT_EQ(model.headerData(3, Qt::Horizontal).toString(), QStringLiteral("Source"));
    EXPECT_THROW(model.itemText(5), Error);
    EXPECT_THROW(model.subItem(1, 6), Error);
}

TEST(RowStore, amountsAreRightAlignedAndShownAsStored)
{
    RowStore model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    addHeaders(model);
    fillRows(model, {{"1", "1", "2021-12-05", "Salary", "1500", "December"},
                     {"2", "2", "2021-12-06", "Gift", "12.50", ""},
                     {"3", "3", "2021-12-07", "Odd", "1,000.5", "typed so"}});

    const auto rightAligned = [](const QVariant &alignment) {
        return alignment.isValid() && (Qt::Alignment(alignment.toInt()) & Qt::AlignHorizontal_Mask) == Qt::AlignRight;
    };
    for (int column = 0; column < model.columnCount(); ++column) {
        const bool amount = model.headerData(column, Qt::Horizontal).toString() == QLatin1String("Amount");
        EXPECT_EQ(rightAligned(model.headerData(column, Qt::Horizontal, Qt::TextAlignmentRole)), amount) << column;
        for (int row = 0; row < model.rowCount(); ++row)
            EXPECT_EQ(rightAligned(model.data(model.index(row, column), Qt::TextAlignmentRole)), amount) << row << column;
    }
    EXPECT_EQ(model.data(model.index(1, 4)).toString(), QStringLiteral("12.50"));
    EXPECT_EQ(model.data(model.index(2, 4)).toString(), QStringLiteral("1,000.5"));
}

TEST(RowStore, aFillReplacesTheItemsWithOneResetAndNoRowSignals)
{
    RowStore model;
    addHeaders(model);
    fillRows(model, {{"1", "1"}, {"2", "2"}});
    QSignalSpy resets(&model, &QAbstractItemModel::modelReset);
    QSignalSpy inserts(&model, &QAbstractItemModel::rowsInserted);

    std::vector<std::vector<std::string>> rows;
    for (int i = 0; i < 5000; ++i)
        rows.push_back({std::to_string(i), std::to_string(i), "d", "s", "1", "p"});
    fillRows(model, rows);

    EXPECT_EQ(resets.count(), 1);
    EXPECT_EQ(inserts.count(), 0);
    EXPECT_EQ(model.itemCount(), 5000);
    EXPECT_EQ(model.itemText(5000), QStringLiteral("4999"));
}

TEST(RowStore, aFillCutShortByAnExceptionKeepsTheItemsAddedSoFar)
{
    RowStore model;
    addHeaders(model);
    try {
        ListFill fill(model);
        fill.addItem("1");
        fill.setSubItem(2, "2021-01-01");
        fill.addItem("2");
        throw Error(QStringLiteral("row 3 unreadable"));
    } catch (const Error &) {
    }
    ASSERT_EQ(model.itemCount(), 2);
    EXPECT_EQ(model.subItem(1, 2), QStringLiteral("2021-01-01"));
}

TEST(ListView, selectionFollowsTheSelectedEntryAcrossFillsOrFallsBackToTheFirstRow)
{
    RowStore model;
    ListView view;
    view.setItems(model);
    addHeaders(model);
    EXPECT_THROW(view.selectedItem(), Error); // an empty list has no selection

    fillRows(model, {{"3", "3"}, {"7", "7"}, {"9", "9"}});
    EXPECT_EQ(view.selectedItem(), 1);

    view.selectionModel()->select(model.index(2, 0), QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    fillRows(model, {{"1", "1"}, {"3", "3"}, {"9", "9"}, {"12", "12"}});
    EXPECT_EQ(model.itemText(view.selectedItem()), QStringLiteral("9"));

    fillRows(model, {{"1", "1"}, {"3", "3"}}); // the selected entry is gone
    EXPECT_EQ(view.selectedItem(), 1);

    fillRows(model, {});
    EXPECT_THROW(view.selectedItem(), Error);
}

} // namespace
} // namespace tallymere
