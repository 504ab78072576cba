#include <gtest/gtest.h>

#include "config.h"
#include "core/errors/error.h"
#include "core/errors/errorreport.h"
#include "core/platform/messagebox.h"
#include "support/testenvironment.h"

namespace tallymere {
namespace {

const QString kLocation = QStringLiteral("in Coinfold2021/08/31.Form1.Form_Load ");

TEST(ErrorReport, textBreaksLinesWithCrLfThenTwoBareCrs)
{
    const QString expected = QStringLiteral("no such table: income\r\n"
                                            "in Coinfold2021/08/31.Form1.Form_Load at line 186\r\r"
                                            "Please email screenshot of this message to ")
        + QLatin1String(TALLYMERE_SUPPORT_EMAIL);
    EXPECT_EQ(errorReportText(QStringLiteral("no such table: income"), kLocation, 186), expected);
}

TEST(ErrorReport, showsWarningBoxCaptionedApplicationError)
{
    test::TestEnvironment env;
    ErrorHandler on(kLocation);
    on.step(186, [] { throw Error(QStringLiteral("unable to open database file")); });

    ASSERT_EQ(env.boxes().size(), 1u);
    EXPECT_EQ(env.boxes()[0].style, platform::MessageStyle::Exclamation);
    EXPECT_EQ(env.boxes()[0].caption, QStringLiteral("Application Error"));
    EXPECT_TRUE(env.boxes()[0].text.startsWith(QStringLiteral("unable to open database file\r\n")));
    EXPECT_TRUE(env.boxes()[0].text.contains(QStringLiteral("Form_Load at line 186\r\r")));
}

TEST(ErrorHandler, everyFailureGetsItsOwnBoxAndTheProcedureGoesOn)
{
    test::TestEnvironment env;
    ErrorHandler on(kLocation);
    std::vector<int> ran;
    for (int line : {100, 102, 104, 106, 108}) {
        on.step(line, [&] {
            ran.push_back(line);
            if (line != 102 && line != 108)
                throw Error(QStringLiteral("failure %1").arg(line));
        });
    }

    EXPECT_EQ(ran, (std::vector<int>{100, 102, 104, 106, 108}));
    ASSERT_EQ(env.boxes().size(), 3u);
    EXPECT_TRUE(env.boxes()[0].text.startsWith(QStringLiteral("failure 100\r\n")));
    EXPECT_TRUE(env.boxes()[1].text.contains(QStringLiteral("at line 104\r")));
    EXPECT_TRUE(env.boxes()[2].text.contains(QStringLiteral("at line 106\r")));
}

TEST(ErrorHandler, failingConditionRunsWhatItGoverns)
{
    test::TestEnvironment env;
    ErrorHandler on(kLocation);
    bool governedRan = false;
    if (on.test(106, []() -> bool { throw Error(QStringLiteral("Permission denied")); }))
        governedRan = true;

    EXPECT_TRUE(governedRan);
    ASSERT_EQ(env.boxes().size(), 1u);
    EXPECT_TRUE(env.boxes()[0].text.contains(QStringLiteral("at line 106\r")));
}

TEST(ErrorHandler, failureDeepInsideACalledProcedureIsReportedAtTheLineOfTheCall)
{
    test::TestEnvironment env;
    const auto handlerless = [](bool &tail) {
        throw Error(QStringLiteral("Overflow"));
        tail = true; // abandoned
    };
    ErrorHandler on(kLocation);
    bool tail = false;
    bool next = false;
    on.step(190, [&] { handlerless(tail); });
    on.step(192, [&] { next = true; });

    EXPECT_FALSE(tail);
    EXPECT_TRUE(next);
    ASSERT_EQ(env.boxes().size(), 1u);
    EXPECT_TRUE(env.boxes()[0].text.contains(QStringLiteral("Form_Load at line 190\r")));
}

TEST(ErrorHandler, unreadableValueIsReportedAndYieldsTheFallback)
{
    test::TestEnvironment env;
    ErrorHandler on(kLocation);
    const int count = on.value(134, []() -> int { throw std::runtime_error("count unavailable"); }, 0);

    EXPECT_EQ(count, 0);
    ASSERT_EQ(env.boxes().size(), 1u);
    EXPECT_TRUE(env.boxes()[0].text.startsWith(QStringLiteral("count unavailable\r\n")));
}

} // namespace
} // namespace tallymere
