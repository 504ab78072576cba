#include "support/entryfixture.h"

#include <algorithm>
#include <ostream>

#include <QCalendarWidget>
#include <QDate>
#include <QImage>
#include <QKeyEvent>
#include <QPointer>
#include <QTest>

#include "ui/controls/calendar.h"
#include "ui/controls/pushbutton.h"
#include "core/text/datetext.h"
#include "core/platform/messagebox.h"

namespace tallymere {
namespace {

using test::EntryTest;

/// The editor as the add income command opens it, active, with the keyboard focus inside.
class Form2Test : public EntryTest
{
protected:
    Form2 &openEditor()
    {
        start().PushButton1_Click();
        Form2 &e = editor();
        QApplication::setActiveWindow(&e);
        return e;
    }
};

struct OrderCase {
    const char *setting;
    bool dayFirst;
};

class Form2Order : public Form2Test, public ::testing::WithParamInterface<OrderCase>
{
};

TEST_P(Form2Order, freshEditorShowsTodayInTheOrderOfTheSetting)
{
    setEuropeanDate(QString::fromUtf8(GetParam().setting));
    Form2 &e = openEditor();

    const QDate today = QDate::currentDate();
    EXPECT_EQ(field(1)->text(), dateText::format(today, GetParam().dayFirst));
    EXPECT_EQ(e.ui().Calendar1->value(), today);
    for (int i = 2; i <= 4; ++i)
        EXPECT_TRUE(field(i)->text().isEmpty());
    EXPECT_TRUE(e.isVisible());
    EXPECT_TRUE(env.boxes().empty());
}

TEST_P(Form2Order, calendarClickWritesThePickedDateInTheOrderSetNow)
{
    Form2 &e = openEditor();
    QCalendarWidget *grid = e.ui().Calendar1->grid();

    setEuropeanDate(QString::fromUtf8(GetParam().setting));
    grid->setSelectedDate(QDate(2021, 3, 8));
    emit grid->clicked(QDate(2021, 3, 8));
    EXPECT_EQ(field(1)->text(), GetParam().dayFirst ? QStringLiteral("8/3/2021") : QStringLiteral("3/8/2021"));

    // The setting is read at each click, not when the editor opened.
    setEuropeanDate(GetParam().dayFirst ? QStringLiteral("False") : QStringLiteral("True"));
    grid->setSelectedDate(QDate(2024, 2, 29));
    emit grid->clicked(QDate(2024, 2, 29));
    EXPECT_EQ(field(1)->text(), GetParam().dayFirst ? QStringLiteral("2/29/2024") : QStringLiteral("29/2/2024"));
    EXPECT_TRUE(env.boxes().empty());
}

INSTANTIATE_TEST_SUITE_P(Settings, Form2Order, ::testing::Values(
    OrderCase{"True", true}, OrderCase{"False", false}, OrderCase{"", false}, OrderCase{"true", false},
    OrderCase{"TRUE", false}, OrderCase{" True", false}));

struct AmountCase {
    const char *text;
    const char *refusal; // the message shown, or none
};

constexpr const char *kNoNumber = "Must be a numeric entry.";
constexpr const char *kTooLarge = "The amount is too large.";

class Form2Amount : public Form2Test, public ::testing::WithParamInterface<AmountCase>
{
};

TEST_P(Form2Amount, leavingTheAmountRefusesTextThatIsNoNumberOrMoreThanTheTotalsHold)
{
    openEditor();
    field(3)->setFocus(Qt::TabFocusReason);
    field(3)->setText(QString::fromUtf8(GetParam().text));
    QTest::keyClick(field(3), Qt::Key_Tab);

    if (GetParam().refusal) {
        ASSERT_EQ(env.boxes().size(), 1u);
        EXPECT_EQ(env.boxes()[0].text, QString::fromUtf8(GetParam().refusal));
        EXPECT_EQ(env.boxes()[0].style, platform::MessageStyle::OkOnly);
        EXPECT_EQ(env.boxes()[0].caption, platform::applicationTitle());
        EXPECT_EQ(QApplication::focusWidget(), field(3));
    } else {
        EXPECT_TRUE(env.boxes().empty());
        EXPECT_EQ(QApplication::focusWidget(), field(4));
    }
    EXPECT_EQ(field(3)->text(), QString::fromUtf8(GetParam().text)); // nothing typed is changed
}

INSTANTIATE_TEST_SUITE_P(Amounts, Form2Amount, ::testing::Values(
    AmountCase{"12a", kNoNumber}, AmountCase{"1e400", kNoNumber}, AmountCase{"12.5.1", kNoNumber},
    AmountCase{"abc", kNoNumber}, AmountCase{"", nullptr}, AmountCase{"   ", nullptr},
    AmountCase{"1,234.50", nullptr}, AmountCase{"-7", nullptr}, AmountCase{"+3.5", nullptr},
    AmountCase{".5", nullptr}, AmountCase{"  12 ", nullptr}, AmountCase{"1e3", nullptr},
    // More than 15 significant digits, 10^15 or more, or more than 12 decimals.
    AmountCase{"1e308", kTooLarge}, AmountCase{"999999999999999999999", kTooLarge},
    AmountCase{"1234567890.123456", kTooLarge}, AmountCase{"1000000000000000", kTooLarge},
    AmountCase{"0.0000000000001", kTooLarge}, AmountCase{"-1e-13", kTooLarge},
    AmountCase{"999999999999999", nullptr}, AmountCase{"-12345678901.2345", nullptr},
    AmountCase{"0.000000000001", nullptr}, AmountCase{"1.50000000000000000000", nullptr}));

TEST_F(Form2Test, cancelClosesWhateverTheAmountHolds)
{
    Form2 &e = openEditor();
    field(3)->setFocus(Qt::TabFocusReason);
    field(3)->setText(QStringLiteral("12a"));
    QTest::mouseClick(e.ui().PushButton2, Qt::LeftButton);

    EXPECT_TRUE(env.boxes().empty());
    EXPECT_EQ(main->openForm2(), nullptr);
    EXPECT_FALSE(e.isVisible());
    settle();
}

TEST_F(Form2Test, leavingTheOtherFieldsChecksNothing)
{
    openEditor();
    field(2)->setFocus(Qt::TabFocusReason);
    field(2)->setText(QStringLiteral("12a"));
    QTest::keyClick(field(2), Qt::Key_Tab);
    field(4)->setText(QStringLiteral("12a"));
    field(4)->setFocus(Qt::TabFocusReason);
    QTest::keyClick(field(4), Qt::Key_Tab);
    EXPECT_TRUE(env.boxes().empty());
}

TEST_F(Form2Test, tabGoesDateSourceAmountParticularsSaveCancel)
{
    Form2 &e = openEditor();
    e.ui().Text1[1]->setFocus(Qt::TabFocusReason);
    const std::vector<QWidget *> order{field(2), field(3), field(4), e.ui().PushButton1, e.ui().PushButton2};
    for (QWidget *next : order) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget(), next) << next->objectName().toStdString();
    }
}

/// Presses `key` in `field` as the keyboard sends it; a held key repeats as further presses marked
/// as repeats before it comes up.
void pressKey(QLineEdit *field, Qt::Key key, bool held)
{
    const Qt::KeyboardModifiers modifiers = key == Qt::Key_Enter ? Qt::KeypadModifier : Qt::NoModifier;
    QPointer<QLineEdit> in = field;
    in->setFocus(Qt::TabFocusReason);
    QTest::keyPress(in, key, modifiers);
    for (int repeat = 0; held && repeat < 3 && in; ++repeat) {
        QKeyEvent again(QEvent::KeyPress, key, modifiers, QStringLiteral("\r"), true);
        QApplication::sendEvent(in, &again);
    }
    if (in)
        QTest::keyRelease(in, key, modifiers);
}

struct EnterCase {
    int field;   // the field that holds the focus
    Qt::Key key; // Return on the main keys, or Enter on the keypad
    bool held;   // the key is held down long enough to repeat
};

void PrintTo(const EnterCase &c, std::ostream *os)
{
    *os << "field " << c.field << (c.key == Qt::Key_Enter ? ", keypad Enter" : ", Return") << (c.held ? ", held" : "");
}

class Form2Enter : public Form2Test, public ::testing::WithParamInterface<EnterCase>
{
};

TEST_P(Form2Enter, enterInAFieldSavesOnceAsAClickOnSaveDoes)
{
    openEditor();
    type(QStringLiteral("3/9/2021"), QStringLiteral("Bonus"), QStringLiteral("200"), QStringLiteral("Extra"));
    QPointer<Form2> e = &editor();

    pressKey(field(GetParam().field), GetParam().key, GetParam().held);

    EXPECT_EQ(test::readRows(ledger, "income"), (test::Rows{{"1", "2021-03-09", "Bonus", "200", "Extra"}}));
    EXPECT_TRUE(env.boxes().empty());
    EXPECT_EQ(main->openForm2(), nullptr);
    EXPECT_FALSE(e && e->isVisible());
    settle();
}

INSTANTIATE_TEST_SUITE_P(Fields, Form2Enter, ::testing::Values(
    EnterCase{1, Qt::Key_Return, false}, EnterCase{2, Qt::Key_Enter, false}, EnterCase{3, Qt::Key_Return, false},
    EnterCase{3, Qt::Key_Enter, true}, EnterCase{4, Qt::Key_Return, true}));

TEST_F(Form2Test, enterInTheAmountSavesNothingWhenLeavingItIsRefused)
{
    Form2 &e = openEditor();
    type(QStringLiteral("3/9/2021"), QStringLiteral("Bonus"), QStringLiteral("12a"), QStringLiteral("Extra"));

    pressKey(field(3), Qt::Key_Return, true);

    ASSERT_EQ(env.boxes().size(), 1u);
    EXPECT_EQ(env.boxes()[0].text, QStringLiteral("Must be a numeric entry."));
    EXPECT_TRUE(writes().empty());
    EXPECT_EQ(main->openForm2(), &e);
    EXPECT_EQ(QApplication::focusWidget(), field(3));
    EXPECT_EQ(field(3)->text(), QStringLiteral("12a"));
}

enum class CloseWay { Cancel, Escape, CloseButton };

class Form2Close : public Form2Test, public ::testing::WithParamInterface<CloseWay>
{
};

TEST_P(Form2Close, closingWritesNothingForgetsTheUpdateAndTheNextEditorIsFresh)
{
    test::insertRow(ledger, "income", "2021-12-05", "Salary", "1500", "December");
    Form1 &w = start();
    w.PushButton2_Click();
    QPointer<Form2> first = main->openForm2();
    ASSERT_TRUE(first);
    ASSERT_EQ(first->mUpdateID, QStringLiteral("1"));
    QApplication::setActiveWindow(first);
    field(2)->setFocus();
    field(2)->setText(QStringLiteral("changed"));

    switch (GetParam()) {
    case CloseWay::Cancel:
        first->ui().PushButton2->click();
        break;
    case CloseWay::Escape:
        QTest::keyClick(field(2), Qt::Key_Escape);
        break;
    case CloseWay::CloseButton:
        first->close();
        break;
    }

    ASSERT_TRUE(first); // deleted only when the event loop comes round
    EXPECT_FALSE(first->isVisible());
    EXPECT_TRUE(first->mUpdateID.isEmpty());
    EXPECT_EQ(main->openForm2(), nullptr);
    settle();
    EXPECT_FALSE(first);

    EXPECT_TRUE(writes().empty());
    EXPECT_EQ(test::readRows(ledger, "income"), (test::Rows{{"1", "2021-12-05", "Salary", "1500", "December"}}));
    EXPECT_TRUE(env.boxes().empty());

    Form2 &fresh = w.form2();
    EXPECT_TRUE(fresh.mUpdateID.isEmpty());
    EXPECT_EQ(fresh.ui().Text1[1]->text(), dateText::format(QDate::currentDate(), false));
    EXPECT_TRUE(fresh.ui().Text1[2]->text().isEmpty());
    EXPECT_EQ(fresh.ui().Label1[2]->text(), QStringLiteral("Source/Cate:"));
}

INSTANTIATE_TEST_SUITE_P(Ways, Form2Close, ::testing::Values(CloseWay::Cancel, CloseWay::Escape, CloseWay::CloseButton));

TEST_F(Form2Test, closingTheMainWindowClosesTheEditor)
{
    openEditor();
    main->show();
    main->close();
    EXPECT_EQ(main->openForm2(), nullptr);
    EXPECT_EQ(env.endCount(), 1);
    settle();
}

TEST_F(Form2Test, pointerImageIsLoadedFromTheProgramFolderWhenItIsThere)
{
    QImage hand(32, 32, QImage::Format_ARGB32);
    hand.fill(Qt::black);
    ASSERT_TRUE(hand.save(env.path(QStringLiteral("HAND-M.CUR")), "PNG"));
    EXPECT_TRUE(openEditor().pointer().hasCustomImage());
    EXPECT_TRUE(env.boxes().empty());
}

TEST_F(Form2Test, unreadablePointerFileIsReportedAndTheLoadGoesOn)
{
    QFile junk(env.path(QStringLiteral("HAND-M.CUR")));
    ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
    junk.write("not an image");
    junk.close();

    Form2 &e = openEditor();
    EXPECT_FALSE(e.pointer().hasCustomImage());
    EXPECT_TRUE(reported(QStringLiteral("in Coinfold2021/08/31.Form2.Form_Load "), 106));
    EXPECT_EQ(std::count_if(env.boxes().begin(), env.boxes().end(),
                            [](const test::ShownBox &box) { return box.text.contains(QLatin1String(".Form2.")); }),
              1);
    EXPECT_EQ(field(1)->text(), dateText::format(QDate::currentDate(), false));
    EXPECT_EQ(e.ui().Calendar1->value(), QDate::currentDate());
}

} // namespace
} // namespace tallymere
