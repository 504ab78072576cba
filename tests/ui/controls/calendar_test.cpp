#include <gtest/gtest.h>

#include <QCalendarWidget>
#include <QImage>
#include <QSignalSpy>
#include <QTableView>
#include <QTest>

#include "ui/controls/calendar.h"

using tallymere::Calendar;

namespace {

QTableView *dayGrid(const Calendar &calendar)
{
    return calendar.grid()->findChild<QTableView *>();
}

/// The cell of the grid that shows `day` of the month on show. The grid begins with the last
/// days of the month before, so the month's own days start at the first cell showing 1.
QModelIndex cellOfDay(const QTableView *grid, int day)
{
    const QAbstractItemModel *model = grid->model();
    bool inMonth = false;
    for (int row = 0; row < model->rowCount(); ++row) {
        for (int column = 0; column < model->columnCount(); ++column) {
            const QModelIndex index = model->index(row, column);
            const int shown = model->data(index).toInt();
            inMonth = inMonth || shown == 1;
            if (inMonth && shown == day)
                return index;
        }
    }
    return {};
}

struct ShownCalendar {
    ShownCalendar()
    {
        calendar.setGeometry(0, 0, 520, 161);
        calendar.setValue(QDate(2021, 3, 5));
        calendar.show();
    }
    Calendar calendar;
};

} // namespace

TEST(Calendar, valueGivesTheSelectedDateAndItsParts)
{
    Calendar calendar;
    calendar.setValue(QDate(2021, 12, 5));

    EXPECT_EQ(calendar.value(), QDate(2021, 12, 5));
    EXPECT_EQ(calendar.Year(), 2021);
    EXPECT_EQ(calendar.Month(), 12);
    EXPECT_EQ(calendar.Day(), 5);
    EXPECT_EQ(calendar.grid()->monthShown(), 12);
    EXPECT_EQ(calendar.grid()->yearShown(), 2021);
}

TEST(Calendar, settingTheValueFromCodeIsNoClick)
{
    Calendar calendar;
    QSignalSpy clicked(&calendar, &Calendar::clicked);
    calendar.setValue(QDate(2021, 3, 8));
    calendar.setValue(QDate(2022, 1, 1));
    EXPECT_EQ(clicked.count(), 0);
}

TEST(Calendar, clickingADayPicksItAndReportsAClick)
{
    ShownCalendar shown;
    QTableView *grid = dayGrid(shown.calendar);
    ASSERT_NE(grid, nullptr);
    const QModelIndex eighth = cellOfDay(grid, 8);
    ASSERT_TRUE(eighth.isValid());
    QSignalSpy clicked(&shown.calendar, &Calendar::clicked);

    const QPoint centre = grid->visualRect(eighth).center();
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, centre);

    EXPECT_EQ(clicked.count(), 1);
    EXPECT_EQ(shown.calendar.value(), QDate(2021, 3, 8));
    EXPECT_EQ(shown.calendar.Month(), 3);
    EXPECT_EQ(shown.calendar.Day(), 8);
}

TEST(Calendar, keyboardMovesTheSelectionAndEnterReportsAClick)
{
    ShownCalendar shown;
    QTableView *grid = dayGrid(shown.calendar);
    ASSERT_NE(grid, nullptr);
    QSignalSpy clicked(&shown.calendar, &Calendar::clicked);

    QTest::keyClick(grid, Qt::Key_Right);
    EXPECT_EQ(clicked.count(), 0);
    EXPECT_EQ(shown.calendar.value(), QDate(2021, 3, 6));

    QTest::keyClick(grid, Qt::Key_Return);
    EXPECT_EQ(clicked.count(), 1);
    EXPECT_EQ(shown.calendar.Day(), 6);
}

TEST(Calendar, backColorIsPaintedBehindTheDays)
{
    ShownCalendar shown;
    const QColor buttonFace(0xEF, 0xEB, 0xE7);
    shown.calendar.setBackColor(buttonFace);
    EXPECT_EQ(shown.calendar.backColor(), buttonFace);

    QTableView *grid = dayGrid(shown.calendar);
    ASSERT_NE(grid, nullptr);
    // A day that is neither selected nor today, sampled in its corner away from the number.
    const QRect cell = grid->visualRect(cellOfDay(grid, 17));
    const QImage image = grid->viewport()->grab().toImage();
    EXPECT_EQ(image.pixelColor(cell.topLeft() + QPoint(2, 2)), buttonFace);
}
