#include <gtest/gtest.h>

#include <QBitmap>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QPixmap>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QWidget>

#include "core/platform/pointershape.h"
#include "ui/controls/pointer.h"
#include "core/errors/error.h"
#include "core/ledger/modexpense.h"

namespace tallymere {
namespace {

/// The hand pointer file the program ships.
QByteArray handCursorFile()
{
    QFile file(QStringLiteral(TALLYMERE_HAND_CURSOR));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << TALLYMERE_HAND_CURSOR;
    return file.readAll();
}

QString writeFile(const QTemporaryDir &dir, const QString &name, const QByteArray &bytes)
{
    const QString path = dir.filePath(name);
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    return path;
}

TEST(PointerFile, shippedHandIsA32PixelPointerWithItsHotspotOnTheFingertip)
{
    const QCursor hand = loadPointerFile(QStringLiteral(TALLYMERE_HAND_CURSOR));
    const QImage image = hand.pixmap().toImage();

    ASSERT_EQ(image.size(), QSize(32, 32));
    EXPECT_EQ(hand.shape(), Qt::BitmapCursor);
    EXPECT_EQ(hand.hotSpot(), QPoint(5, 0));
    // The hotspot is the top of the outline of the pointing finger; beside and above the finger
    // the screen shows through, inside it is white.
    EXPECT_EQ(image.pixelColor(5, 0), QColor(Qt::black));
    EXPECT_EQ(image.pixelColor(4, 0).alpha(), 0);
    EXPECT_EQ(image.pixelColor(0, 0).alpha(), 0);
    EXPECT_EQ(image.pixelColor(5, 3), QColor(Qt::white));
    EXPECT_EQ(image.pixelColor(31, 31).alpha(), 0);
}

class PointerFileScale : public ::testing::TestWithParam<int>
{
};

TEST_P(PointerFileScale, shippedHandIsDrawnForTheScreensScaleNotStretched)
{
    const qreal ratio = GetParam() / 100.0;
    const QCursor hand = loadPointerFile(QStringLiteral(TALLYMERE_HAND_CURSOR), ratio);
    const QPixmap pixmap = hand.pixmap();

    // As large in the window as at 100%, in as many more pixels: the file's own image of that
    // size, not the 32-pixel one stretched.
    const int pixels = int(32 * ratio);
    ASSERT_EQ(pixmap.size(), QSize(pixels, pixels));
    EXPECT_EQ(pixmap.deviceIndependentSize(), QSizeF(32, 32));
    QImageReader file(QStringLiteral(TALLYMERE_HAND_CURSOR), "CUR");
    QImage drawn;
    for (int i = 0; i < file.imageCount() && drawn.size() != pixmap.size(); ++i) {
        ASSERT_TRUE(file.jumpToImage(i));
        drawn = file.read();
    }
    ASSERT_EQ(drawn.size(), pixmap.size());
    EXPECT_EQ(pixmap.toImage().convertToFormat(QImage::Format_ARGB32), drawn.convertToFormat(QImage::Format_ARGB32));

    // The hotspot is the tip of the pointing finger: on its outline, with the screen showing
    // through above it.
    const QPoint tip = hand.hotSpot() * ratio;
    EXPECT_EQ(tip.y(), 0);
    EXPECT_GE(drawn.pixelColor(tip).alpha(), 128);
    EXPECT_LE(drawn.pixelColor(tip).lightness(), 96);
    EXPECT_EQ(drawn.pixelColor(tip.x() - int(3 * ratio), 0).alpha(), 0);
}

INSTANTIATE_TEST_SUITE_P(Scales, PointerFileScale, ::testing::Values(100, 150, 200));

TEST(PointerFile, hotspotIsTheOneTheFileGives)
{
    QByteArray bytes = handCursorFile();
    ASSERT_GT(bytes.size(), 22);
    bytes[10] = 9; // hotspot x, low byte
    bytes[12] = 3; // hotspot y, low byte
    QTemporaryDir dir;
    const QCursor moved = loadPointerFile(writeFile(dir, QStringLiteral("moved.cur"), bytes));
    EXPECT_EQ(moved.hotSpot(), QPoint(9, 3));
}

TEST(PointerFile, fileThatIsMissingOrNoImageThrows)
{
    QTemporaryDir dir;
    EXPECT_THROW(loadPointerFile(dir.filePath(QStringLiteral("HAND-M.CUR"))), Error);
    EXPECT_THROW(loadPointerFile(writeFile(dir, QStringLiteral("text.cur"), "not a pointer")), Error);
    const QByteArray header = handCursorFile().left(22);
    EXPECT_THROW(loadPointerFile(writeFile(dir, QStringLiteral("cut.cur"), header)), Error);
}

/// A window with a text field, which has a pointer of its own, and a plain child.
class WindowPointerTest : public ::testing::Test
{
protected:
    QWidget window;
    QLineEdit *field = new QLineEdit(&window);
    QWidget *plain = new QWidget(&window);
    WindowPointer pointer{&window};
};

TEST_F(WindowPointerTest, shapesShowOverTheWindowAndItsPlainControls)
{
    pointer.setShape(PointerShape::Custom);
    EXPECT_EQ(plain->cursor().shape(), Qt::ArrowCursor); // no image: the ordinary arrow
    const QCursor hand = loadPointerFile(QStringLiteral(TALLYMERE_HAND_CURSOR));
    pointer.setCustomImage(hand);
    EXPECT_EQ(plain->cursor().shape(), Qt::BitmapCursor);
    EXPECT_EQ(plain->cursor().hotSpot(), hand.hotSpot());
    EXPECT_EQ(field->cursor().shape(), Qt::IBeamCursor);

    pointer.setShape(PointerShape::Default);
    EXPECT_EQ(plain->cursor().shape(), Qt::ArrowCursor);
    EXPECT_TRUE(pointer.hasCustomImage());
}

TEST_F(WindowPointerTest, hourglassShowsOverEveryControlAndLeavesTheirOwnPointersAfterwards)
{
    pointer.setShape(PointerShape::Hourglass);
    EXPECT_EQ(pointer.shape(), PointerShape::Hourglass);
    EXPECT_EQ(plain->cursor().shape(), Qt::WaitCursor);
    EXPECT_EQ(field->cursor().shape(), Qt::WaitCursor);

    pointer.setShape(PointerShape::Default);
    EXPECT_EQ(plain->cursor().shape(), Qt::ArrowCursor);
    EXPECT_EQ(field->cursor().shape(), Qt::IBeamCursor);
}

TEST_F(WindowPointerTest, pointerOfAnotherWindowIsNeverTouched)
{
    // A second window owned by this one, with a text field and a pointer of its own.
    QWidget *owned = new QWidget(&window, Qt::Window);
    QLineEdit *ownedField = new QLineEdit(owned);
    WindowPointer ownedPointer(owned);
    ownedPointer.setShape(PointerShape::Custom);

    pointer.setShape(PointerShape::Hourglass);
    EXPECT_EQ(ownedField->cursor().shape(), Qt::IBeamCursor);
    EXPECT_EQ(owned->cursor().shape(), Qt::ArrowCursor);
    EXPECT_EQ(ownedPointer.shape(), PointerShape::Custom);
    pointer.setShape(PointerShape::Default);
    EXPECT_EQ(ownedField->cursor().shape(), Qt::IBeamCursor);
}

} // namespace
} // namespace tallymere
