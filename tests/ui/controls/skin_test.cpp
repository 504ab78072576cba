#include <gtest/gtest.h>

#include <QFile>
#include <QImage>
#include <QPushButton>
#include <QTemporaryDir>
#include <QWidget>

#include "ui/controls/skin.h"
#include "core/errors/error.h"

using tallymere::SkinFramework;

namespace {

QString writeSkin(const QTemporaryDir &dir, const QByteArray &styleSheet)
{
    const QString path = dir.filePath(QStringLiteral("o.cjs"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return {};
    file.write(styleSheet);
    return path;
}

} // namespace

TEST(SkinFramework, loadSkinFailsWithThePathWhenTheFileCannotBeRead)
{
    QTemporaryDir dir;
    SkinFramework skin;

    const QString missing = dir.filePath(QStringLiteral("x/o.cjs"));
    try {
        skin.LoadSkin(missing, QString());
        FAIL() << "a missing skin file loaded";
    } catch (const tallymere::Error &error) {
        EXPECT_TRUE(error.description().contains(missing)) << error.description().toStdString();
    }
    EXPECT_THROW(skin.LoadSkin(dir.path(), QString()), tallymere::Error);
    EXPECT_TRUE(skin.styleSheet().isEmpty());
}

TEST(SkinFramework, appliedSkinRestylesTheWindowAndItsControls)
{
    QTemporaryDir dir;
    const QByteArray sheet = "QPushButton { background: rgb(200, 0, 0); border: none; }";
    SkinFramework skin;
    skin.LoadSkin(writeSkin(dir, sheet), QString());

    QWidget window;
    auto *button = new QPushButton(QStringLiteral("OK"), &window);
    button->setGeometry(0, 0, 60, 27);
    skin.ApplyWindow(&window);

    EXPECT_EQ(window.styleSheet(), QString::fromUtf8(sheet));
    const QColor face = button->grab().toImage().pixelColor(3, 3);
    EXPECT_EQ(face, QColor(200, 0, 0)) << face.name().toStdString();
}

TEST(SkinFramework, applyWindowWithoutALoadedSkinLeavesTheWindowAlone)
{
    QWidget window;
    window.setStyleSheet(QStringLiteral("QWidget { color: blue; }"));
    SkinFramework skin;
    skin.ApplyWindow(&window);
    EXPECT_EQ(window.styleSheet(), QStringLiteral("QWidget { color: blue; }"));
}
