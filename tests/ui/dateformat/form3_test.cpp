#include "support/entryfixture.h"

#include <memory>
#include <ostream>
#include <string>

#include <QApplication>
#include <QCalendarWidget>
#include <QDate>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QRadioButton>
#include <QSettings>
#include <QTest>

#include "ui/app/form1.h"
#include "ui/controls/calendar.h"
#include "ui/controls/listview.h"
#include "ui/controls/pushbutton.h"
#include "ui/dateformat/form3.h"
#include "core/text/datetext.h"
#include "ui/entries/form2.h"
#include "core/ledger/modexpense.h"
#include "core/settings/settings.h"
#include "support/ledgerfile.h"
#include "support/testenvironment.h"

namespace tallymere {
namespace {

/// A loaded main window over a real ledger, with the per-user store in the test's own folder.
class Form3Test : public test::SalaryAndRentTest
{
protected:
    /// The dialog as "Change Date Format" opens it.
    Form3 &openDialog()
    {
        if (!main)
            start();
        main->PushButton10_Click();
        Form3 *dialog = main->openForm3();
        EXPECT_NE(dialog, nullptr);
        return *dialog;
    }

    /// What the store's own file holds, read without the program's layer; null when absent.
    static QVariant storedValue()
    {
        QSettings file(settings::storeFile(QLatin1String(settings::kAppName)), QSettings::IniFormat);
        return file.value(QStringLiteral("Tallymere/EuropeanDate"));
    }

    /// The error reports shown, as "location line".
    std::vector<QString> reports() const
    {
        std::vector<QString> result;
        for (const auto &box : env.boxes()) {
            if (box.caption != QLatin1String("Application Error"))
                continue;
            const QString where = box.text.section(QStringLiteral("\r\n"), 1).section(QLatin1Char('\r'), 0, 0);
            result.push_back(where);
        }
        return result;
    }
};

struct StoredOrder {
    const char *stored; ///< nullptr: never saved
    bool dayFirst;
};

void PrintTo(const StoredOrder &order, std::ostream *out)
{
    *out << (order.stored ? '"' + std::string(order.stored) + '"' : std::string("never saved"));
}

class Form3Preselection : public Form3Test, public ::testing::WithParamInterface<StoredOrder>
{
};

TEST_P(Form3Preselection, dialogSelectsTheStoredOrderWhenLoaded)
{
    if (GetParam().stored)
        setEuropeanDate(QString::fromUtf8(GetParam().stored));
    Form3 &dialog = openDialog();

    EXPECT_EQ(dialog.ui().Option2->isChecked(), GetParam().dayFirst);
    EXPECT_EQ(dialog.ui().Option1->isChecked(), !GetParam().dayFirst);
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Date Format"));
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_TRUE(env.boxes().empty());
    // Loading the dialog reads the setting and writes nothing.
    EXPECT_EQ(storedValue(), GetParam().stored ? QVariant(QString::fromUtf8(GetParam().stored)) : QVariant());
}

INSTANTIATE_TEST_SUITE_P(Settings, Form3Preselection, ::testing::Values(
    StoredOrder{nullptr, false}, StoredOrder{"False", false}, StoredOrder{"True", true},
    StoredOrder{"true", false}, StoredOrder{"TRUE", false}, StoredOrder{"True ", false}));

struct Choice {
    bool dayFirst;
    const char *stored;
};

void PrintTo(const Choice &choice, std::ostream *out)
{
    *out << (choice.dayFirst ? "dd/mm/yyyy" : "mm/dd/yyyy");
}

class Form3Choice : public Form3Test, public ::testing::WithParamInterface<Choice>
{
protected:
    QRadioButton *option(Form3 &dialog) const
    {
        return GetParam().dayFirst ? dialog.ui().Option2 : dialog.ui().Option1;
    }
    /// The stored value that the other choice writes.
    QString otherValue() const { return GetParam().dayFirst ? QStringLiteral("False") : QStringLiteral("True"); }

    /// The dialog, active, over the other choice stored, with this choice clicked and focused.
    Form3 &chooseWithTheKeyboard()
    {
        setEuropeanDate(otherValue());
        Form3 &dialog = openDialog();
        QApplication::setActiveWindow(&dialog);
        option(dialog)->setFocus();
        option(dialog)->click();
        return dialog;
    }
};

TEST_P(Form3Choice, okStoresTheChoiceRefreshesTheLedgerAndCloses)
{
    setEuropeanDate(otherValue());
    Form1 &w = start();
    Form3 &dialog = openDialog();
    test::insertRow(ledger, "income", "2021-12-06", "Gift", "20.5", "");
    test::insertRow(ledger, "expenses", "2021-12-02", "Food", "100", "");

    option(dialog)->click();
    dialog.ui().PushButton3->click();

    EXPECT_EQ(storedValue(), QVariant(QString::fromUtf8(GetParam().stored)));
    EXPECT_EQ(w.ui().ListView1->items().itemCount(), 2);
    EXPECT_EQ(w.ui().ListView2->items().itemCount(), 2);
    EXPECT_EQ(w.ui().lblTotalIncome->text(), QStringLiteral("Total Income: 1520.5"));
    EXPECT_EQ(w.ui().lblAvailableBalance->text(), QStringLiteral("Available Balance: 720.5"));
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(main->openForm3(), nullptr);
    EXPECT_TRUE(env.boxes().empty());

    // The choice holds: the next dialog loads afresh and preselects it.
    settle();
    Form3 &again = openDialog();
    EXPECT_TRUE(option(again)->isChecked());
}

TEST_P(Form3Choice, enterPressesOkWhereverTheFocusIs)
{
    Form3 &dialog = chooseWithTheKeyboard();

    QTest::keyClick(option(dialog), GetParam().dayFirst ? Qt::Key_Enter : Qt::Key_Return);

    EXPECT_EQ(storedValue(), QVariant(QString::fromUtf8(GetParam().stored)));
    EXPECT_EQ(main->openForm3(), nullptr);
}

TEST_P(Form3Choice, escapeClosesTheDialogAndStoresNothing)
{
    Form3 &dialog = chooseWithTheKeyboard();

    QTest::keyClick(option(dialog), Qt::Key_Escape);

    EXPECT_EQ(storedValue(), QVariant(otherValue()));
    EXPECT_EQ(main->openForm3(), nullptr);
    EXPECT_TRUE(env.boxes().empty());
}

TEST_P(Form3Choice, closingWithoutOkStoresAndRefreshesNothing)
{
    setEuropeanDate(otherValue());
    Form1 &w = start();
    Form3 &dialog = openDialog();
    test::insertRow(ledger, "income", "2021-12-06", "Gift", "20.5", "");

    option(dialog)->click();
    dialog.close();

    EXPECT_EQ(storedValue(), QVariant(otherValue()));
    EXPECT_EQ(w.ui().ListView1->items().itemCount(), 1);
    EXPECT_EQ(w.ui().lblTotalIncome->text(), QStringLiteral("Total Income: 1500"));
    EXPECT_EQ(main->openForm3(), nullptr);
    settle();
    Form3 &again = openDialog();
    EXPECT_FALSE(option(again)->isChecked());
}

TEST_P(Form3Choice, failingWriteIsReportedAndTheLedgerStillRefreshesAndTheDialogCloses)
{
    Form1 &w = start();
    Form3 &dialog = openDialog();
    test::insertRow(ledger, "income", "2021-12-06", "Gift", "20.5", "");
    // A folder where the store's file should be cannot be written, not even by root.
    ASSERT_TRUE(QDir().mkpath(settings::storeFile(QLatin1String(settings::kAppName))));

    option(dialog)->click();
    dialog.ui().PushButton3->click();

    const int line = GetParam().dayFirst ? 104 : 102;
    EXPECT_EQ(reports(), std::vector<QString>{QStringLiteral("in Coinfold2021/08/31.Form3.PushButton3_Click at line ")
                                              + QString::number(line)});
    ASSERT_EQ(env.boxes().size(), 1U);
    EXPECT_TRUE(env.boxes()[0].text.startsWith(QStringLiteral("The settings could not be written to ")));
    EXPECT_EQ(env.boxes()[0].style, 48);
    EXPECT_EQ(w.ui().ListView1->items().itemCount(), 2);
    EXPECT_EQ(w.ui().lblTotalIncome->text(), QStringLiteral("Total Income: 1520.5"));
    EXPECT_EQ(main->openForm3(), nullptr);
}

INSTANTIATE_TEST_SUITE_P(Orders, Form3Choice, ::testing::Values(Choice{false, "False"}, Choice{true, "True"}));

TEST_F(Form3Test, secondOpenBringsTheSameDialogForwardWithoutLoadingIt)
{
    Form3 &dialog = openDialog();
    dialog.ui().Option2->click();
    setEuropeanDate(QStringLiteral("False"));

    main->PushButton10_Click();

    EXPECT_EQ(main->openForm3(), &dialog);
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_TRUE(dialog.ui().Option2->isChecked());
    EXPECT_EQ(dialog.parentWidget(), main.get());
    EXPECT_TRUE(env.boxes().empty());
}

TEST_F(Form3Test, failingReadOnLoadIsReportedAndPreselectsDayFirst)
{
    // A folder where the store's file should be cannot be read: the test of the stored value
    // fails, and the statement it governs runs.
    ASSERT_TRUE(QDir().mkpath(settings::storeFile(QLatin1String(settings::kAppName))));
    Form3 &dialog = openDialog();

    EXPECT_EQ(reports(), std::vector<QString>{QStringLiteral("in Coinfold2021/08/31.Form3.Form_Load at line 112")});
    EXPECT_TRUE(dialog.ui().Option2->isChecked());
}

/// The date texts the entry editor writes after each choice of the dialog.
class Form3EditorDate : public Form3Test, public ::testing::WithParamInterface<Choice>
{
protected:
    void choose() { choose(GetParam().dayFirst); }
    void choose(bool dayFirst)
    {
        Form3 &dialog = openDialog();
        (dayFirst ? dialog.ui().Option2 : dialog.ui().Option1)->click();
        dialog.ui().PushButton3->click();
        settle();
    }
    QString dateField() { return main->openForm2()->ui().Text1[1]->text(); }
};

TEST_P(Form3EditorDate, freshEditorCalendarAndLoadedEntryFollowTheChoiceWithoutRestart)
{
    setEuropeanDate(GetParam().dayFirst ? QStringLiteral("False") : QStringLiteral("True"));
    Form1 &w = start();
    const QString listedDate = w.ui().ListView1->items().subItem(1, 2);
    choose();

    w.PushButton1_Click();
    ASSERT_NE(main->openForm2(), nullptr);
    EXPECT_EQ(dateField(), dateText::format(QDate::currentDate(), GetParam().dayFirst));

    QCalendarWidget *grid = main->openForm2()->ui().Calendar1->grid();
    grid->setSelectedDate(QDate(2021, 12, 5));
    emit grid->clicked(QDate(2021, 12, 5));
    EXPECT_EQ(dateField(), GetParam().dayFirst ? QStringLiteral("5/12/2021") : QStringLiteral("12/5/2021"));

    main->openForm2()->close();
    settle();
    w.PushButton2_Click();
    ASSERT_NE(main->openForm2(), nullptr);
    EXPECT_EQ(dateField(), GetParam().dayFirst ? QStringLiteral("5/12/2021") : QStringLiteral("12/5/2021"));

    // The lists show the stored dates whatever the order.
    EXPECT_EQ(w.ui().ListView1->items().subItem(1, 2), listedDate);
    EXPECT_TRUE(env.boxes().empty());
}

TEST_P(Form3EditorDate, openEditorDateIsWrittenInTheNewOrderAndSavesTheSameDay)
{
    // The income entry of 5 December 2021 open for update, written in the old order.
    setEuropeanDate(GetParam().dayFirst ? QStringLiteral("False") : QStringLiteral("True"));
    Form1 &w = start();
    w.PushButton2_Click();
    ASSERT_NE(main->openForm2(), nullptr);
    ASSERT_EQ(dateField(), GetParam().dayFirst ? QStringLiteral("12/5/2021") : QStringLiteral("5/12/2021"));
    const QDate calendar = main->openForm2()->ui().Calendar1->value();

    choose();
    EXPECT_EQ(dateField(), GetParam().dayFirst ? QStringLiteral("5/12/2021") : QStringLiteral("12/5/2021"));
    EXPECT_EQ(main->openForm2()->ui().Calendar1->value(), calendar);
    main->openForm2()->ui().PushButton1->click();
    EXPECT_EQ(test::readRows(ledger, "income").at(0).at(1), "2021-12-05");

    // A text that is no date in the old order is left as typed; choosing the same order again
    // changes nothing.
    w.PushButton1_Click();
    main->openForm2()->ui().Text1[1]->setText(QStringLiteral("31/31/2021"));
    choose(!GetParam().dayFirst);
    EXPECT_EQ(dateField(), QStringLiteral("31/31/2021"));
    main->openForm2()->ui().Text1[1]->setText(QStringLiteral("1/2/2022"));
    choose(!GetParam().dayFirst);
    EXPECT_EQ(dateField(), QStringLiteral("1/2/2022"));
    EXPECT_TRUE(env.boxes().empty());
}

INSTANTIATE_TEST_SUITE_P(Orders, Form3EditorDate, ::testing::Values(Choice{false, "False"}, Choice{true, "True"}));

} // namespace
} // namespace tallymere
