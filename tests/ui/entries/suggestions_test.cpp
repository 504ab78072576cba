#include "support/entryfixture.h"

#include <QAbstractItemView>
#include <QTest>

#include "ui/entries/fieldsuggestions.h"

namespace tallymere {
namespace {

/// The add expense editor over a ledger whose categories have been used unequally often, active,
/// with the keyboard focus in `focus`.
class SuggestionsTest : public test::EntryTest
{
protected:
    void SetUp() override
    {
        EntryTest::SetUp();
        const auto add = [&](const char *category, int times, const char *particulars) {
            for (int i = 0; i < times; ++i)
                test::insertRow(ledger, "expenses", "2026-01-01", category, "10", particulars);
        };
        add("Rent", 2, "Flat 2B");
        add("rent", 1, "Garage");
        add("Restaurant", 1, "Dinner");
        add("Firewood", 4, "Logs");
        add("Car rental", 2, "Weekend");
        add("Groceries", 5, "Market");
        test::insertRow(ledger, "income", "2026-01-01", "Rebate", "10", "");
        start().PushButton7_Click();
        QApplication::setActiveWindow(&editor());
    }

    /// A key as the window system brings it: to the open list of suggestions when there is one.
    void press(int key) { QTest::keyClick(editor().windowHandle(), Qt::Key(key)); }
    void typeInto(int i, const QString &text)
    {
        field(i)->setFocus();
        for (const QChar c : text)
            QTest::keyClick(editor().windowHandle(), c.toLatin1());
    }

    static QStringList offered(const FieldSuggestions *suggestions)
    {
        QStringList rows;
        if (!suggestions->isOpen())
            return rows;
        const QAbstractItemModel *model = suggestions->popup()->model();
        for (int r = 0; r < model->rowCount(); ++r)
            rows.append(model->index(r, 0).data().toString());
        return rows;
    }
};

TEST_F(SuggestionsTest, offerThoseBeginningWithTheTextThenTheOthersMostUsedFirst)
{
    typeInto(2, QStringLiteral("re"));
    EXPECT_EQ(offered(editor().nameSuggestions()),
              (QStringList{"Rent", "rent", "Restaurant", "Firewood", "Car rental"}));
    typeInto(2, QStringLiteral("n"));
    EXPECT_EQ(offered(editor().nameSuggestions()), (QStringList{"Rent", "rent", "Car rental"}));
}

TEST_F(SuggestionsTest, takingOneWritesOnlyItsFieldAndEnterAndEscapeActOnTheListAlone)
{
    field(3)->setText(QStringLiteral("12"));
    const QString date = field(1)->text();
    typeInto(2, QStringLiteral("re"));
    for (int i = 0; i < 3; ++i)
        press(Qt::Key_Down);
    press(Qt::Key_Return);
    EXPECT_EQ(field(2)->text(), QStringLiteral("Restaurant"));
    EXPECT_FALSE(editor().nameSuggestions()->isOpen());
    EXPECT_EQ(field(1)->text(), date);
    EXPECT_EQ(field(3)->text(), QStringLiteral("12"));
    EXPECT_TRUE(field(4)->text().isEmpty());

    // The particulars of that category; Escape closes the list and leaves the editor open.
    typeInto(4, QStringLiteral("d"));
    EXPECT_EQ(offered(editor().particularsSuggestions()), QStringList{"Dinner"});
    press(Qt::Key_Escape);
    EXPECT_FALSE(editor().particularsSuggestions()->isOpen());
    ASSERT_NE(main->openForm2(), nullptr);
    EXPECT_EQ(field(4)->text(), QStringLiteral("d"));

    // Enter with nothing picked closes the list and saves nothing; Tab takes the one picked and
    // moves on.
    field(2)->setText(QStringLiteral("RENT"));
    field(4)->clear();
    typeInto(4, QStringLiteral("a"));
    EXPECT_EQ(offered(editor().particularsSuggestions()), (QStringList{"Flat 2B", "Garage"}));
    press(Qt::Key_Return);
    EXPECT_FALSE(editor().particularsSuggestions()->isOpen());
    EXPECT_TRUE(writes().empty());
    press(Qt::Key_Down);
    press(Qt::Key_Down);
    press(Qt::Key_Tab);
    EXPECT_EQ(field(4)->text(), QStringLiteral("Flat 2B"));
    EXPECT_EQ(QApplication::focusWidget(), editor().ui().PushButton1);
    EXPECT_TRUE(env.boxes().empty());

    // With the list closed, Enter saves as ever.
    editor().ui().Text1[4]->setFocus();
    press(Qt::Key_Return);
    EXPECT_EQ(writes().size(), 1u);
}

} // namespace
} // namespace tallymere
