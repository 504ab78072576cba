#include <gtest/gtest.h>

#include <QImage>
#include <QPixmap>
#include <QString>

#include "config.h"
#include "ui/windows/icons.h"

namespace {

int opaquePixels(const QImage &image)
{
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x)
            count += qAlpha(image.pixel(x, y)) > 0 ? 1 : 0;
    }
    return count;
}

} // namespace

TEST(Icons, layoutIconShowsNothing)
{
    const QIcon icon = tallymere::layoutIcon();
    ASSERT_FALSE(icon.isNull());
    const QImage image = icon.pixmap(32, 32).toImage().convertToFormat(QImage::Format_ARGB32);
    EXPECT_EQ(image.size(), QSize(32, 32));
    EXPECT_EQ(opaquePixels(image), 0);
}

class ProgramIconSize : public ::testing::TestWithParam<int>
{
};

// Each size the icon theme gets: the window's icon holds a picture in it, and it is the very
// picture the build made for the theme, so the title bar and the menu show the same.
TEST_P(ProgramIconSize, showsTheBookAsTheThemeIconDoes)
{
    const int side = GetParam();
    const QIcon icon = tallymere::programIcon();
    ASSERT_TRUE(icon.availableSizes().contains(QSize(side, side)));
    const QImage image = icon.pixmap(side, side).toImage().convertToFormat(QImage::Format_ARGB32);
    ASSERT_EQ(image.size(), QSize(side, side));
    // The book covers a good part of the square and leaves its corners clear.
    EXPECT_GT(opaquePixels(image), side * side / 2);
    EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0);
    EXPECT_EQ(qAlpha(image.pixel(side - 1, side - 1)), 0);

    const QString themePng = QStringLiteral(TALLYMERE_THEME_ICONS "/%1x%1/apps/" TALLYMERE_APP_ID ".png").arg(side);
    const QImage themeIcon(themePng);
    ASSERT_FALSE(themeIcon.isNull()) << themePng.toStdString();
    EXPECT_TRUE(themeIcon.convertToFormat(QImage::Format_ARGB32) == image)
        << themePng.toStdString() << " is another picture than the window's icon";
}

INSTANTIATE_TEST_SUITE_P(ThemeSizes, ProgramIconSize, ::testing::Values(16, 32, 48, 64, 128, 256));
