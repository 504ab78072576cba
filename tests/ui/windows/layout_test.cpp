#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QScreen>
#include <QTest>

#include "ui/controls/calendar.h"
#include "ui/controls/listview.h"
#include "ui/controls/pushbutton.h"
#include "ui/controls/skin.h"
#include "ui/windows/form1layout.h"
#include "ui/windows/form2layout.h"
#include "ui/windows/form3layout.h"
#include "ui/windows/layout.h"

using namespace tallymere;

namespace {

/// Shows `window` and makes it the active window, so that it holds the keyboard focus.
void showActive(QWidget &window)
{
    window.show();
    QApplication::setActiveWindow(&window);
}

QString focusName()
{
    QWidget *focus = QApplication::focusWidget();
    return focus ? focus->objectName() : QStringLiteral("(none)");
}

/// The caption a control shows.
QString captionOf(const QWidget *control)
{
    if (auto *label = qobject_cast<const QLabel *>(control))
        return label->text();
    if (auto *button = qobject_cast<const QAbstractButton *>(control))
        return button->text();
    if (auto *frame = qobject_cast<const QGroupBox *>(control))
        return frame->title();
    if (auto *box = qobject_cast<const QLineEdit *>(control))
        return box->text();
    return {};
}

struct WindowCase {
    const char *window;
    QSize pixelsAt96Dpi;
    const char *firstFocus;
};

void PrintTo(const WindowCase &windowCase, std::ostream *out)
{
    *out << windowCase.window;
}

void buildWindow(const char *name, QWidget *window)
{
    if (qstrcmp(name, "Form1") == 0)
        Form1Layout::build(window);
    else if (qstrcmp(name, "Form2") == 0)
        Form2Layout::build(window);
    else
        Form3Layout::build(window);
}

class LayoutWindow : public ::testing::TestWithParam<WindowCase>
{
};

} // namespace

TEST_P(LayoutWindow, hasAFixedClientAreaAtTheScreenResolution)
{
    QWidget window;
    buildWindow(GetParam().window, &window);

    ASSERT_EQ(window.logicalDpiX(), 96) << "the offscreen platform is expected at 96 dpi";
    EXPECT_EQ(window.size(), GetParam().pixelsAt96Dpi);
    EXPECT_EQ(window.minimumSize(), window.maximumSize());
    EXPECT_EQ(window.objectName(), QLatin1String(GetParam().window));
    EXPECT_EQ(window.windowTitle(), QLatin1String(GetParam().window));
}

TEST_P(LayoutWindow, firstShowCentresTheWindowOnTheScreen)
{
    QWidget window;
    buildWindow(GetParam().window, &window);
    window.show();

    const QPoint screenCentre = window.screen()->availableGeometry().center();
    const QPoint offset = window.frameGeometry().center() - screenCentre;
    EXPECT_LE(offset.manhattanLength(), 2) << offset.x() << "," << offset.y();
}

TEST_P(LayoutWindow, firstFocusGoesToTheLowestTabIndexThatTakesTheFocus)
{
    QWidget window;
    buildWindow(GetParam().window, &window);
    showActive(window);
    EXPECT_EQ(focusName(), QLatin1String(GetParam().firstFocus));
}

TEST_P(LayoutWindow, isWhiteWithBoldArialText)
{
    QWidget window;
    buildWindow(GetParam().window, &window);

    EXPECT_EQ(window.palette().color(QPalette::Window), QColor(Qt::white));
    EXPECT_TRUE(window.font().bold());
    EXPECT_EQ(window.font().pointSize(), 9);
    // Labels and frames are opaque white, so they stay white on a window of another colour.
    for (QWidget *control : window.findChildren<QWidget *>()) {
        if (qobject_cast<QLabel *>(control) || qobject_cast<QGroupBox *>(control)
            || qobject_cast<QRadioButton *>(control)) {
            EXPECT_TRUE(control->autoFillBackground()) << control->objectName().toStdString();
            EXPECT_EQ(control->palette().color(control->backgroundRole()), QColor(Qt::white));
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Windows, LayoutWindow,
    ::testing::Values(WindowCase{"Form1", {536, 528}, "ListView1"},
                      WindowCase{"Form2", {536, 325}, "Text1(1)"},
                      WindowCase{"Form3", {536, 72}, "Option1"}),
    [](const auto &windowCase) { return std::string(windowCase.param.window); });

TEST(Layout, everyControlIsFoundByItsNameWithItsCaption)
{
    struct Named {
        const char *name;
        const char *caption;
    };
    const std::pair<const char *, std::vector<Named>> windows[] = {
        {"Form1",
         {{"PushButton1", "Add Income Entry"}, {"PushButton2", "Update Selected Entry"},
          {"PushButton3", "Delete Selected Entry"}, {"PushButton4", "Send Income Data To Excel"},
          {"PushButton5", "Send Expense Data To Excel"}, {"PushButton6", "Update Selected Entry"},
          {"PushButton7", "Add Expense Entry"}, {"PushButton8", "Delete Selected Entry"},
          {"PushButton9", "Help"}, {"PushButton10", "Change Date Format"},
          {"Frame1", "Report"}, {"Frame2", "Income"}, {"Frame3", "Expense"},
          {"lblTotalIncome", "Total Income:"}, {"lblTotalExpenses", "Total Expenses:"},
          {"lblAvailableBalance", "Available Balance:"}, {"ListView1", ""}, {"ListView2", ""}}},
        {"Form2",
         {{"Text1(1)", ""}, {"Text1(2)", ""}, {"Text1(3)", ""}, {"Text1(4)", ""},
          {"Text111(0)", ""}, {"Label1(0)", "SR No:"}, {"Label1(1)", "Date:"},
          {"Label1(2)", "Source/Cate:"}, {"Label1(3)", "Amount:"}, {"Label1(4)", "Particulars:"},
          {"PushButton1", "Save"}, {"PushButton2", "Cancel"}, {"Calendar1", ""}}},
        {"Form3",
         {{"Option1", "mm/dd/yyyy"}, {"Option2", "dd/mm/yyyy (European)"}, {"PushButton3", "OK"}}},
    };
    for (const auto &[windowName, controls] : windows) {
        QWidget window;
        buildWindow(windowName, &window);
        for (const Named &expected : controls) {
            const auto *control = window.findChild<QWidget *>(QLatin1String(expected.name));
            ASSERT_NE(control, nullptr) << windowName << " " << expected.name;
            EXPECT_EQ(captionOf(control), QString::fromUtf8(expected.caption))
                << windowName << " " << expected.name;
        }
    }
}

TEST_P(LayoutWindow, labelsShowTheirWholeCaption)
{
    QWidget window;
    buildWindow(GetParam().window, &window);
    for (const QLabel *label : window.findChildren<QLabel *>())
        EXPECT_GE(label->width(), label->sizeHint().width()) << label->objectName().toStdString();
}

TEST(Layout, totalsLabelGrowsToItsRunTimeCaptionButNotIntoTheNextOne)
{
    QWidget window;
    const Form1Layout ui = Form1Layout::build(&window);
    const QRect designed = ui.lblTotalIncome->geometry();

    ui.lblTotalIncome->setText(QStringLiteral("Total Income: 1234567.89"));
    fitLabelToCaption(ui.lblTotalIncome);

    EXPECT_GE(ui.lblTotalIncome->width(), ui.lblTotalIncome->sizeHint().width());
    EXPECT_EQ(ui.lblTotalIncome->pos(), designed.topLeft());
    EXPECT_EQ(ui.lblTotalIncome->height(), designed.height());
    EXPECT_LT(ui.lblTotalIncome->geometry().right(), ui.lblTotalExpenses->x());

    ui.lblTotalIncome->setText(QStringLiteral("0"));
    fitLabelToCaption(ui.lblTotalIncome);
    EXPECT_GE(ui.lblTotalIncome->width(), designed.width());
}

TEST(Layout, form1IsReadFromTopToBottom)
{
    QWidget window;
    const Form1Layout ui = Form1Layout::build(&window);

    ASSERT_NE(ui.SkinFramework1, nullptr);
    EXPECT_EQ(window.findChild<SkinFramework *>(QStringLiteral("SkinFramework1")), ui.SkinFramework1);
    // "Help" and "Change Date Format" side by side, then Income, Expense and Report.
    EXPECT_EQ(ui.PushButton9->y(), ui.PushButton10->y());
    EXPECT_LT(ui.PushButton9->geometry().right(), ui.PushButton10->x());
    EXPECT_LT(ui.PushButton9->geometry().bottom(), ui.Frame2->y());
    EXPECT_LT(ui.Frame2->geometry().bottom(), ui.Frame3->y());
    EXPECT_LT(ui.Frame3->geometry().bottom(), ui.Frame1->y());
    EXPECT_LE(ui.Frame1->geometry().bottom(), window.height() - 1);
    // The three totals in one row, left to right.
    EXPECT_EQ(ui.lblTotalIncome->y(), ui.lblAvailableBalance->y());
    EXPECT_LT(ui.lblTotalIncome->geometry().right(), ui.lblTotalExpenses->x());
    EXPECT_LT(ui.lblTotalExpenses->geometry().right(), ui.lblAvailableBalance->x());
}

TEST(Layout, incomeAndExpenseFramesHaveTheSameInnerLayout)
{
    QWidget window;
    const Form1Layout ui = Form1Layout::build(&window);

    EXPECT_EQ(ui.ListView1->parentWidget(), ui.Frame2);
    EXPECT_EQ(ui.ListView2->parentWidget(), ui.Frame3);
    EXPECT_EQ(ui.Frame2->size(), ui.Frame3->size());
    EXPECT_EQ(ui.ListView1->geometry(), ui.ListView2->geometry());
    EXPECT_EQ(ui.ListView1->pos(), QPoint(16, 20));
    // Add, update, delete and send, in two rows of two.
    const std::pair<PushButton *, PushButton *> sameSpot[] = {
        {ui.PushButton1, ui.PushButton7}, {ui.PushButton2, ui.PushButton6},
        {ui.PushButton3, ui.PushButton8}, {ui.PushButton4, ui.PushButton5}};
    for (const auto &[income, expense] : sameSpot) {
        EXPECT_EQ(income->parentWidget(), ui.Frame2);
        EXPECT_EQ(expense->parentWidget(), ui.Frame3);
        EXPECT_EQ(income->geometry(), expense->geometry()) << income->text().toStdString();
    }
    EXPECT_EQ(ui.PushButton1->pos(), QPoint(16, 138));
    EXPECT_EQ(ui.PushButton2->pos(), QPoint(264, 138));
    EXPECT_EQ(ui.PushButton3->pos(), QPoint(16, 172));
    EXPECT_EQ(ui.PushButton4->pos(), QPoint(264, 172));
    EXPECT_LE(ui.PushButton4->geometry().bottom(), ui.Frame2->height() - 1);
}

TEST(Layout, listsCarryTheirToolTipAndTheWindowFont)
{
    QWidget window;
    const Form1Layout ui = Form1Layout::build(&window);
    for (const ListView *list : {ui.ListView1, ui.ListView2}) {
        EXPECT_EQ(list->toolTip(),
                  QStringLiteral("Move | line to right and out of window to reveal full names."));
        EXPECT_EQ(list->font(), window.font());
    }
}

TEST(Layout, tabbingThroughTheEntryEditorVisitsTheFieldsThenSaveAndCancel)
{
    QWidget window;
    const Form2Layout ui = Form2Layout::build(&window);
    showActive(window);
    ui.Text1[1]->setFocus(Qt::TabFocusReason);
    ASSERT_EQ(focusName(), QStringLiteral("Text1(1)"));

    QStringList visited;
    for (int i = 0; i < 5; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        visited << focusName();
    }
    EXPECT_EQ(visited, QStringList({"Text1(2)", "Text1(3)", "Text1(4)", "PushButton1", "PushButton2"}));

    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
    EXPECT_EQ(focusName(), QStringLiteral("PushButton1"));
}

TEST(Layout, entryEditorHidesSrNoBelowItsBottomEdge)
{
    QWidget window;
    const Form2Layout ui = Form2Layout::build(&window);

    EXPECT_FALSE(window.rect().intersects(ui.Label1[0]->geometry()));
    EXPECT_EQ(window.rect().intersected(ui.Text111[0]->geometry()).height(), 1);
    EXPECT_EQ(ui.Text1[0], nullptr);
    // Every visible label sits left of the text box of its field, on its line.
    for (int i = 1; i <= 4; ++i) {
        const QRect label = ui.Label1[i]->geometry();
        const QRect box = ui.Text1[i]->geometry();
        EXPECT_TRUE(window.rect().contains(label)) << i;
        EXPECT_TRUE(window.rect().contains(box)) << i;
        EXPECT_LT(label.center().x(), box.x()) << i;
        EXPECT_GT(label.center().y(), box.top()) << i;
        EXPECT_LT(label.center().y(), box.bottom()) << i;
    }
    EXPECT_LT(ui.Calendar1->geometry().bottom(), ui.Text1[1]->y());
}

TEST(Layout, dateOrdersAreOneGroupOfWhichOnlyOneIsSelected)
{
    QWidget window;
    const Form3Layout ui = Form3Layout::build(&window);
    ui.Option1->setChecked(true);
    ui.Option2->click();
    EXPECT_TRUE(ui.Option2->isChecked());
    EXPECT_FALSE(ui.Option1->isChecked());
    EXPECT_LT(ui.Option1->geometry().right(), ui.Option2->x());
    EXPECT_LT(ui.Option2->geometry().bottom(), ui.PushButton3->y());
}

TEST(Layout, layoutColoursAreBlueGreenRedOrADesktopColour)
{
    EXPECT_EQ(layoutColour(0x000000FF), QColor(255, 0, 0));
    EXPECT_EQ(layoutColour(0x00FF0000), QColor(0, 0, 255));
    EXPECT_EQ(layoutColour(0x00FFFFFF), QColor(Qt::white));
    const QPalette desktop = QApplication::palette();
    EXPECT_EQ(layoutColour(buttonFaceColour), desktop.color(QPalette::Button));
    EXPECT_EQ(layoutColour(0x80000012), desktop.color(QPalette::ButtonText));
    EXPECT_EQ(layoutColour(0x80000005), desktop.color(QPalette::Base));
}

TEST(Layout, buttonFaceColourReachesTheWindowAndItsLabelsFramesAndOptionsOnly)
{
    QWidget window;
    const Form1Layout ui = Form1Layout::build(&window);
    auto *check = new QCheckBox(QStringLiteral("check"), ui.Frame1);
    const QColor buttonFace = QApplication::palette().color(QPalette::Button);
    ASSERT_NE(buttonFace, QColor(Qt::white)) << "the test needs a button face that is not white";

    setButtonFaceColour(&window);

    EXPECT_EQ(window.palette().color(QPalette::Window), buttonFace);
    for (QWidget *coloured : std::initializer_list<QWidget *>{
             ui.Frame1, ui.Frame2, ui.Frame3, ui.lblTotalIncome, ui.lblTotalExpenses,
             ui.lblAvailableBalance, check}) {
        EXPECT_EQ(coloured->palette().color(coloured->backgroundRole()), buttonFace)
            << coloured->objectName().toStdString();
        EXPECT_TRUE(coloured->autoFillBackground());
    }
    // Buttons stay white; lists keep their own look.
    EXPECT_EQ(ui.PushButton1->palette().color(QPalette::Button), QColor(Qt::white));
    EXPECT_FALSE(ui.ListView1->autoFillBackground()
                 && ui.ListView1->palette().color(ui.ListView1->backgroundRole()) == buttonFace);

    QWidget dialog;
    const Form3Layout options = Form3Layout::build(&dialog);
    setButtonFaceColour(&dialog);
    for (const QRadioButton *option : {options.Option1, options.Option2})
        EXPECT_EQ(option->palette().color(option->backgroundRole()), buttonFace);
}
