#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include "core/errors/error.h"
#include "core/settings/settings.h"
#include "support/testenvironment.h"

namespace tallymere {
namespace {

const QString kApp = QLatin1String(settings::kAppName);
const QString kSection = QLatin1String(settings::kSection);
const QString kKey = QLatin1String(settings::kEuropeanDate);

TEST(Settings, absentKeyReadsEmptyAndMeansMonthFirst)
{
    test::TestEnvironment env;
    EXPECT_EQ(settings::GetSetting(kApp, kSection, kKey), QString());
    EXPECT_FALSE(settings::europeanDate());
}

TEST(Settings, valueIsKeptInTheStoreBelowTheGivenFolder)
{
    test::TestEnvironment env;
    settings::SaveSetting(kApp, kSection, kKey, QStringLiteral("True"));

    EXPECT_TRUE(settings::storeFile(kApp).startsWith(env.settingsFolder()));
    EXPECT_TRUE(QFile::exists(settings::storeFile(kApp)));
    EXPECT_EQ(settings::GetSetting(kApp, kSection, kKey), QStringLiteral("True"));
    EXPECT_TRUE(settings::europeanDate());
}

TEST(Settings, onlyExactTrueMeansDayFirst)
{
    test::TestEnvironment env;
    for (const char *value : {"False", "true", "TRUE", " True", "True ", "1", ""}) {
        settings::SaveSetting(kApp, kSection, kKey, QLatin1String(value));
        EXPECT_FALSE(settings::europeanDate()) << value;
    }
    settings::SaveSetting(kApp, kSection, kKey, QStringLiteral("True"));
    EXPECT_TRUE(settings::europeanDate());
}

TEST(Settings, writeThatCannotReachTheStoreThrows)
{
    test::TestEnvironment env;
    // A folder where the store's file should be cannot be written, not even by root.
    ASSERT_TRUE(QDir().mkpath(settings::storeFile(kApp)));
    EXPECT_THROW(settings::SaveSetting(kApp, kSection, kKey, QStringLiteral("True")), Error);
}

} // namespace
} // namespace tallymere
