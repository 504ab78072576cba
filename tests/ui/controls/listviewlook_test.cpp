#include "support/entryfixture.h"

#include <cmath>
#include <cstdlib>

#include <QHeaderView>
#include <QImage>
#include <QTest>

#include "ui/controls/listview.h"
#include "core/ledger/ledger.h"

namespace tallymere {
namespace {

/// The main window over a ledger with two entries in each list (a gift after the salary, food
/// after the rent), shown and active.
class ListViewTest : public test::SalaryAndRentTest
{
protected:
    void SetUp() override
    {
        SalaryAndRentTest::SetUp();
        test::insertRow(ledger, "income", "2021-12-06", "Gift", "20.5", "");
        test::insertRow(ledger, "expenses", "2021-12-02", "Food", "40", "");
        startShown();
    }

    ListView *list(int which) const { return which == 1 ? main->ui().ListView1 : main->ui().ListView2; }

    /// Whether two colours look the same (a style may shade a selection by a step or two).
    static bool alike(const QColor &a, const QColor &b)
    {
        return std::abs(a.red() - b.red()) <= 6 && std::abs(a.green() - b.green()) <= 6
            && std::abs(a.blue() - b.blue()) <= 6;
    }

    /// The colour the selected first row shows, beside its Source or Category text.
    static QColor selectedRowColour(ListView *view)
    {
        const QRect cell = view->visualRect(view->model()->index(0, 3));
        return view->viewport()->grab().toImage().pixelColor(cell.right() - 8, cell.center().y());
    }
};

class ListViewFocus : public ListViewTest, public ::testing::WithParamInterface<int>
{
};

TEST_P(ListViewFocus, onlyTheListWithTheFocusShowsItsSelectionInTheHighlightColour)
{
    ListView *focused = list(GetParam());
    ListView *other = list(3 - GetParam());
    focused->setFocus(Qt::TabFocusReason);
    ASSERT_EQ(focused->selectedItem(), 1);
    ASSERT_EQ(other->selectedItem(), 1);

    const QColor highlight = focused->palette().color(QPalette::Active, QPalette::Highlight);
    const QColor base = other->palette().color(QPalette::Active, QPalette::Base);
    EXPECT_TRUE(alike(selectedRowColour(focused), highlight)) << selectedRowColour(focused).name().toStdString();
    const QColor muted = selectedRowColour(other);
    EXPECT_FALSE(alike(muted, highlight)) << muted.name().toStdString();
    EXPECT_FALSE(alike(muted, base)) << "the selection stays visible without the focus";
}

INSTANTIATE_TEST_SUITE_P(Lists, ListViewFocus, ::testing::Values(1, 2));

TEST_F(ListViewTest, columnWidthDraggedByTheUserStaysThroughRefills)
{
    QHeaderView *header = list(1)->header();
    const int source = 3;
    const int before = header->sectionSize(source);
    const std::vector<int> laidOut{header->sectionSize(2), header->sectionSize(4), header->sectionSize(5)};

    // The user drags the right edge of the Source column 60 pixels to the right.
    const int edge = header->sectionViewportPosition(source) + before;
    const int y = header->height() / 2;
    QTest::mousePress(header->viewport(), Qt::LeftButton, {}, QPoint(edge - 1, y));
    QTest::mouseMove(header->viewport(), QPoint(edge + 59, y));
    QTest::mouseRelease(header->viewport(), Qt::LeftButton, {}, QPoint(edge + 59, y));
    ASSERT_EQ(header->sectionSize(source), before + 60);

    // Whole refills, as after a change of the date order, and the refresh after a save.
    for (int refill = 0; refill < 2; ++refill) {
        main->ledger().requireFullRefill();
        modExpense::listIncome(main->ledger());
        EXPECT_EQ(header->sectionSize(source), before + 60);
    }
    main->PushButton1_Click();
    type(QStringLiteral("12/7/2021"), QStringLiteral("Bonus"), QStringLiteral("10"), QStringLiteral("Extra"));
    editor().ui().PushButton1->click();
    settle();
    ASSERT_EQ(list(1)->items().itemCount(), 3);
    EXPECT_EQ(header->sectionSize(source), before + 60);

    // The columns not dragged keep the widths the window gives them; the other list is untouched.
    EXPECT_EQ((std::vector<int>{header->sectionSize(2), header->sectionSize(4), header->sectionSize(5)}), laidOut);
    EXPECT_EQ(list(2)->header()->sectionSize(source), before);
}

class ListViewScale : public ListViewTest, public ::testing::WithParamInterface<int>
{
};

TEST_P(ListViewScale, frameShowsWholeAtTheScreensScale)
{
    const qreal ratio = GetParam() / 100.0;
    ListView *view = list(1);
    QImage image((QSizeF(view->size()) * ratio).toSize(), QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(ratio);
    view->render(&image);

    // Within the outermost pixels of each side, across the middle of the list, a line darker
    // than the white of the list.
    const int edge = int(std::ceil(ratio)) + 1;
    const auto lineWithin = [&](int x0, int y0, int dx, int dy) {
        for (int step = 0; step < edge; ++step) {
            if (image.pixelColor(x0 + step * dx, y0 + step * dy).lightness() < 230)
                return true;
        }
        return false;
    };
    const int middleX = image.width() / 2;
    const int middleY = image.height() / 2;
    EXPECT_TRUE(lineWithin(0, middleY, 1, 0)) << "left";
    EXPECT_TRUE(lineWithin(image.width() - 1, middleY, -1, 0)) << "right";
    EXPECT_TRUE(lineWithin(middleX, 0, 0, 1)) << "top";
    EXPECT_TRUE(lineWithin(middleX, image.height() - 1, 0, -1)) << "bottom";
}

INSTANTIATE_TEST_SUITE_P(Scales, ListViewScale, ::testing::Values(100, 125, 150, 175, 200));

} // namespace
} // namespace tallymere
