// Entries in every plane of Unicode, and very long ones, go through the editor's save into the
// ledger, into the lists and back into the editor without a character changed or lost.

#include "support/entryfixture.h"

#include "ui/controls/pushbutton.h"

namespace tallymere {
namespace {

using test::EntryTest;

/// A text from UTF-8 written with escapes, so the source shows which characters it holds.
QString utf8(const char *text)
{
    return QString::fromUtf8(text);
}

struct PlaneCase {
    const char *plane;
    QString text;
};

void PrintTo(const PlaneCase &c, std::ostream *os)
{
    *os << c.plane;
}

class UnicodeEntry : public EntryTest, public ::testing::WithParamInterface<PlaneCase>
{
protected:
    void save() { editor().ui().PushButton1->click(); }
};

TEST_P(UnicodeEntry, isStoredListedAndLoadedBackExactlyThroughTheEditor)
{
    const QString text = GetParam().text;
    const std::string bytes = text.toStdString();
    Form1 &w = start();

    // An expense whose category and particulars are the text.
    w.PushButton7_Click();
    type(QStringLiteral("2/29/2024"), text, QStringLiteral("7.25"), text + QStringLiteral(" / ") + text);
    save();
    ASSERT_TRUE(env.boxes().empty()) << env.boxes()[0].text.toStdString();
    EXPECT_EQ(test::readRows(ledger, "expenses"),
              (test::Rows{{"1", "2024-02-29", bytes, "7.25", bytes + " / " + bytes}}));
    const RowStore &list = w.ui().ListView2->items();
    ASSERT_EQ(list.itemCount(), 1);
    EXPECT_EQ(list.subItem(1, 3), text);
    EXPECT_EQ(list.subItem(1, 5), text + QStringLiteral(" / ") + text);

    // The update editor brings it back as it is, and saving it unchanged keeps it so.
    select(w.ui().ListView2, 1);
    w.PushButton6_Click();
    EXPECT_EQ(field(2)->text(), text);
    EXPECT_EQ(field(4)->text(), text + QStringLiteral(" / ") + text);
    field(3)->setText(QStringLiteral("8"));
    save();
    EXPECT_TRUE(env.boxes().empty());
    EXPECT_EQ(test::readRows(ledger, "expenses"),
              (test::Rows{{"1", "2024-02-29", bytes, "8", bytes + " / " + bytes}}));
    EXPECT_EQ(w.ui().lblTotalExpenses->text(), QStringLiteral("Total Expenses: 8"));
}

INSTANTIATE_TEST_SUITE_P(Planes, UnicodeEntry, ::testing::Values(
    // Plane 0: Latin with a combining accent kept apart (never normalised), Greek, Cyrillic,
    // right-to-left Hebrew and Arabic, Devanagari, CJK, Hangul, the widest Arabic ligature, and
    // the two noncharacters at its end.
    PlaneCase{"basic multilingual", utf8("Cafe\xcc\x81 \xce\xa9\xce\xbc\xce\xad\xce\xb3\xce\xb1 "
                                         "\xd0\x9a\xd0\xb8\xd1\x80 \xd7\xa2\xd7\x91\xd7\xa8\xd7\x99\xd7\xaa "
                                         "\xd8\xb9\xd8\xb1\xd8\xa8\xd9\x8a \xe0\xa4\xb9\xe0\xa4\xbf\xe0\xa4\x82 "
                                         "\xe5\xae\xb6\xe8\xa8\x88 \xed\x95\x9c \xef\xb7\xbd \xef\xbf\xbe\xef\xbf\xbf")},
    // Plane 1: emoji alone, joined into a family, a flag of two regional indicators, a musical
    // symbol.
    PlaneCase{"supplementary multilingual", utf8("\xf0\x9f\xa7\xbe\xf0\x9f\x92\xb6 "
                                                 "\xf0\x9f\x91\xa9\xe2\x80\x8d\xf0\x9f\x91\xa9\xe2\x80\x8d"
                                                 "\xf0\x9f\x91\xa7 \xf0\x9f\x87\xa9\xf0\x9f\x87\xaa "
                                                 "\xf0\x9d\x84\x9e")},
    // Plane 2: CJK extension B.
    PlaneCase{"supplementary ideographic", utf8("\xf0\xa0\x80\x80\xf0\xa0\xae\xb7\xf0\xaa\x9a\xa5")},
    // Plane 3: CJK extension G.
    PlaneCase{"tertiary ideographic", utf8("\xf0\xb0\x80\x80\xf0\xb1\x8d\x8a")},
    // Plane 14: the tag characters of a subdivision flag, and a variation selector.
    PlaneCase{"supplementary special-purpose",
              utf8("\xf0\x9f\x8f\xb4\xf3\xa0\x81\xa7\xf3\xa0\x81\xa2\xf3\xa0\x81\xb3\xf3\xa0\x81\xa3"
                   "\xf3\xa0\x81\xb4\xf3\xa0\x81\xbf \xe8\x91\x9b\xf3\xa0\x84\x80")},
    // Planes 15 and 16: private use, up to the last code point there is.
    PlaneCase{"private use", utf8("\xf3\xb0\x80\x80\xf3\xbf\xbf\xbd \xf4\x80\x80\x80\xf4\x8f\xbf\xbd"
                                  "\xf4\x8f\xbf\xbf")}));

class LongEntry : public EntryTest
{
protected:
    void save() { editor().ui().PushButton1->click(); }
};

TEST_F(LongEntry, megabyteOfParticularsIsStoredListedAndLoadedBackWhole)
{
    // 1 MiB of text, with characters of four planes so that a cut would show anywhere.
    const QString unit = utf8("Household books \xe2\x82\xac \xf0\x9f\xa7\xbe \xf0\xa0\xae\xb7 \xf3\xb0\x80\x80 ");
    const QString particulars = unit.repeated(1024 * 1024 / int(unit.toUtf8().size()) + 1);
    ASSERT_GE(particulars.toUtf8().size(), 1024 * 1024);
    Form1 &w = start();
    w.PushButton1_Click();
    type(QStringLiteral("12/5/2021"), QStringLiteral("Salary"), QStringLiteral("1500"), particulars);
    save();

    ASSERT_TRUE(env.boxes().empty());
    const test::Rows rows = test::readRows(ledger, "income");
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0][4].size(), std::size_t(particulars.toUtf8().size()));
    EXPECT_TRUE(rows[0][4] == particulars.toStdString());
    EXPECT_TRUE(w.ui().ListView1->items().subItem(1, 5) == particulars);

    select(w.ui().ListView1, 1);
    w.PushButton2_Click();
    EXPECT_EQ(field(4)->text().size(), particulars.size());
}

TEST_F(LongEntry, changingTheAmountKeepsLongParticularsWhole)
{
    // Kept by another means, or typed before: longer than an ordinary text field takes.
    const std::string particulars = std::string(40000, 'x') + " end";
    test::insertRow(ledger, "income", "2021-12-05", "Salary", "1500", particulars);
    Form1 &w = start();
    select(w.ui().ListView1, 1);
    w.PushButton2_Click();
    field(3)->setText(QStringLiteral("1600"));
    save();

    EXPECT_TRUE(env.boxes().empty());
    const test::Rows rows = test::readRows(ledger, "income");
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0][3], "1600");
    EXPECT_EQ(rows[0][4].size(), particulars.size());
    EXPECT_TRUE(rows[0][4] == particulars);
}

} // namespace
} // namespace tallymere
