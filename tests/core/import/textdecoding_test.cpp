#include <gtest/gtest.h>

#include "core/import/textdecoding.h"

namespace tallymere::import {
namespace {

struct DecodeCase {
    const char *name;
    QByteArray bytes;
    const char *forced;
    const char *text;
    const char *encoding;
};

void PrintTo(const DecodeCase &c, std::ostream *os)
{
    *os << c.name;
}

class Decoding : public ::testing::TestWithParam<DecodeCase>
{
};

TEST_P(Decoding, readsTheLettersTheBankWrote)
{
    const DecodeCase &c = GetParam();
    const auto decoded = decodeStatement(c.bytes, QString::fromUtf8(c.forced));
    ASSERT_TRUE(decoded.has_value());
    EXPECT_EQ(decoded->text, QString::fromUtf8(c.text));
    EXPECT_EQ(decoded->encoding, QString::fromUtf8(c.encoding));
}

INSTANTIATE_TEST_SUITE_P(Bytes, Decoding, ::testing::Values(
    DecodeCase{"c1-bytes-are-windows-1252", "-12,50 \x80 M\xfcller", "", "-12,50 € Müller", "windows-1252"},
    DecodeCase{"declared-latin1-with-c1-bytes", "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><a>\x80 \xe9</a>", "",
               "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><a>€ é</a>", "windows-1252"},
    DecodeCase{"declared-latin1", "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><a>\xe9</a>", "",
               "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><a>é</a>", "ISO-8859-1"},
    DecodeCase{"utf8-beats-a-declared-charset", "CHARSET:8859-1\n<NAME>Cr\xc3\xa8me", "", "CHARSET:8859-1\n<NAME>Crème",
               "UTF-8"},
    DecodeCase{"ofx-code-page", "CHARSET:1252\n<NAME>Caf\xe9", "", "CHARSET:1252\n<NAME>Café", "windows-1252"},
    DecodeCase{"latin9-euro", "-12,50 \xa4", "", "-12,50 €", "ISO-8859-15"},
    DecodeCase{"utf8-bom", "\xef\xbb\xbf" "Datum", "", "Datum", "UTF-8"},
    DecodeCase{"utf16le-bom", QByteArray("\xff\xfe" "D\0a\0\xe4\0", 8), "", "Daä", "UTF-16LE"},
    DecodeCase{"utf16be-bom", QByteArray("\xfe\xff\0D\0a\0\xe4", 8), "", "Daä", "UTF-16BE"},
    DecodeCase{"the-users-choice-wins", "Caf\xc3\xa9", "ISO-8859-1", "CafÃ©", "ISO-8859-1"}));

TEST(Decoding, anUnknownCharsetIsNoAnswer)
{
    EXPECT_FALSE(decodeStatement("abc", QStringLiteral("no-such-charset")).has_value());
}

} // namespace
} // namespace tallymere::import
