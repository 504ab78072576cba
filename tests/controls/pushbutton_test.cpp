#include <gtest/gtest.h>

#include <algorithm>

#include <QFontInfo>
#include <QImage>
#include <QSignalSpy>
#include <QTest>

#include "controls/pushbutton.h"

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
