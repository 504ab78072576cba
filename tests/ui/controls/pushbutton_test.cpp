#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>
#include <tuple>

#include <QFontInfo>
#include <QImage>
#include <QKeyEvent>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTest>

#include "ui/controls/pushbutton.h"
#include "ui/dateformat/form3.h"
#include "support/entryfixture.h"

using tallymere::PushButton;

TEST(PushButton, reportsEveryMouseMoveWithOrWithoutAButtonHeld)
{
    PushButton button;
    button.setText(QStringLiteral("Help"));
    button.resize(256, 27);
    button.show();
    QSignalSpy moved(&button, &PushButton::mouseMoved);

    QTest::mouseMove(&button, QPoint(10, 10));
    QTest::mouseMove(&button, QPoint(20, 12));
    EXPECT_EQ(moved.count(), 2);

    QTest::mousePress(&button, Qt::LeftButton, {}, QPoint(20, 12));
    QTest::mouseMove(&button, QPoint(30, 12));
    QTest::mouseRelease(&button, Qt::LeftButton, {}, QPoint(30, 12));
    EXPECT_EQ(moved.count(), 3);
}

TEST(PushButton, looksLikeAWhiteButtonWithDarkBoldArialText)
{
    PushButton button;
    button.setText(QStringLiteral("Change Date Format"));
    button.resize(256, 27);

    const QFontInfo font(button.font());
    EXPECT_TRUE(font.bold());
    EXPECT_NEAR(button.font().pointSizeF(), 11.25, 0.01);
    EXPECT_TRUE(font.family() == QLatin1String("Arial") || font.family() == QLatin1String("Liberation Sans"))
        << font.family().toStdString();

    const QImage image = button.grab().toImage();
    const int middle = image.height() / 2;
    // A grey border around a face that is white but for the faintest shading (an ordinary
    // button of the desktop is a visibly darker grey).
    EXPECT_LE(image.pixelColor(0, middle).lightness(), 200);
    EXPECT_LE(image.pixelColor(image.width() - 1, middle).lightness(), 200);
    const QColor face = image.pixelColor(8, middle);
    EXPECT_GE(face.lightness(), 250) << face.name().toStdString();
    // The caption itself is drawn in a dark colour.
    int darkest = 255;
    for (int x = 0; x < image.width(); ++x) {
        for (int y = 0; y < image.height(); ++y)
            darkest = std::min(darkest, image.pixelColor(x, y).lightness());
    }
    EXPECT_LE(darkest, 60);
}

namespace {

struct KeyCase {
    const char *name;
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;
};

void PrintTo(const KeyCase &c, std::ostream *os)
{
    *os << c.name;
}

class PushButtonKey : public ::testing::TestWithParam<KeyCase>
{
protected:
    void send(QWidget *to, QEvent::Type type, bool repeat)
    {
        QKeyEvent event(type, GetParam().key, GetParam().modifiers, QString(), repeat);
        QApplication::sendEvent(to, &event);
    }
};

} // namespace

TEST_P(PushButtonKey, heldKeyShowsTheButtonDownAndClicksItOnceWhenItComesUp)
{
    PushButton button;
    button.setText(QStringLiteral("Save"));
    button.show();
    QSignalSpy clicks(&button, &QPushButton::clicked);

    send(&button, QEvent::KeyPress, false);
    EXPECT_TRUE(button.isDown());
    // The key repeats while it is held: the window system sends it up and down again, marked as
    // repeats.
    for (int repeat = 0; repeat < 3; ++repeat) {
        send(&button, QEvent::KeyRelease, true);
        send(&button, QEvent::KeyPress, true);
    }
    EXPECT_EQ(clicks.count(), 0);
    send(&button, QEvent::KeyRelease, false);

    EXPECT_EQ(clicks.count(), 1);
    EXPECT_FALSE(button.isDown());
}

INSTANTIATE_TEST_SUITE_P(Keys, PushButtonKey, ::testing::Values(
    KeyCase{"Space", Qt::Key_Space, Qt::NoModifier}, KeyCase{"Return", Qt::Key_Return, Qt::NoModifier},
    KeyCase{"keypad Enter", Qt::Key_Enter, Qt::KeypadModifier}));

namespace tallymere {
namespace {

class EnterOnButton;

/// A push button of one of the three windows, and what pressing it does.
struct ButtonCase {
    const char *name;
    /// Opens the button's window, active, and returns the button.
    QPushButton *(*open)(EnterOnButton &test);
    /// Checks that the button was pressed once.
    void (*pressedOnce)(EnterOnButton &test);
};

class EnterOnButton : public test::EntryTest, public ::testing::WithParamInterface<std::tuple<ButtonCase, Qt::Key>>
{
public:
    using test::EntryTest::startShown;

    Form2 &addEditor()
    {
        startShown().PushButton1_Click();
        type(QStringLiteral("3/9/2021"), QStringLiteral("Bonus"), QStringLiteral("200"), QStringLiteral("Extra"));
        QApplication::setActiveWindow(&editor());
        return editor();
    }

    Form3 &dateFormatDialog()
    {
        startShown().PushButton10_Click();
        Form3 *dialog = main->openForm3();
        QApplication::setActiveWindow(dialog);
        return *dialog;
    }

    using test::EntryTest::env;
    using test::EntryTest::ledger;
    using test::EntryTest::main;
    using test::EntryTest::settle;
    using test::EntryTest::writes;
};

void PrintTo(const std::tuple<ButtonCase, Qt::Key> &c, std::ostream *os)
{
    *os << std::get<0>(c).name << (std::get<1>(c) == Qt::Key_Enter ? " by keypad Enter" : " by Return");
}

const ButtonCase kButtons[] = {
    {"Help",
     [](EnterOnButton &t) -> QPushButton * { return t.startShown().ui().PushButton9; },
     [](EnterOnButton &t) {
         ASSERT_EQ(t.env.boxes().size(), 1u);
         EXPECT_TRUE(t.env.boxes()[0].text.startsWith(QLatin1String("Questions?")));
     }},
    {"Add income",
     [](EnterOnButton &t) -> QPushButton * { return t.startShown().ui().PushButton1; },
     [](EnterOnButton &t) {
         ASSERT_NE(t.main->openForm2(), nullptr);
         EXPECT_EQ(t.main->openForm2()->windowTitle(), QStringLiteral("Add New Income"));
     }},
    {"Change Date Format",
     [](EnterOnButton &t) -> QPushButton * { return t.startShown().ui().PushButton10; },
     [](EnterOnButton &t) { EXPECT_NE(t.main->openForm3(), nullptr); }},
    {"Save",
     [](EnterOnButton &t) -> QPushButton * { return t.addEditor().ui().PushButton1; },
     [](EnterOnButton &t) {
         EXPECT_EQ(test::readRows(t.ledger, "income"), (test::Rows{{"1", "2021-03-09", "Bonus", "200", "Extra"}}));
         EXPECT_EQ(t.main->openForm2(), nullptr);
     }},
    {"Cancel",
     [](EnterOnButton &t) -> QPushButton * { return t.addEditor().ui().PushButton2; },
     [](EnterOnButton &t) {
         EXPECT_TRUE(t.writes().empty());
         EXPECT_EQ(t.main->openForm2(), nullptr);
     }},
    {"OK",
     [](EnterOnButton &t) -> QPushButton * {
         Form3 &dialog = t.dateFormatDialog();
         dialog.ui().Option2->click();
         return dialog.ui().PushButton3;
     },
     [](EnterOnButton &t) {
         EXPECT_TRUE(settings::europeanDate());
         EXPECT_EQ(t.main->openForm3(), nullptr);
     }},
};

TEST_P(EnterOnButton, enterOnAFocusedButtonPressesItOnce)
{
    const auto &[button, key] = GetParam();
    QPushButton *pressed = button.open(*this);
    pressed->setFocus(Qt::TabFocusReason);
    ASSERT_EQ(QApplication::focusWidget(), pressed);

    QTest::keyClick(pressed, key, key == Qt::Key_Enter ? Qt::KeypadModifier : Qt::NoModifier);

    button.pressedOnce(*this);
    settle();
}

INSTANTIATE_TEST_SUITE_P(Windows, EnterOnButton,
                         ::testing::Combine(::testing::ValuesIn(kButtons), ::testing::Values(Qt::Key_Return, Qt::Key_Enter)));

} // namespace
} // namespace tallymere
