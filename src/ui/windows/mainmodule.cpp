#include "ui/windows/mainmodule.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QTime>

#include "ui/controls/skin.h"
#include "config.h"
#include "core/platform/messagebox.h"
#include "core/platform/program.h"
#include "ui/windows/layout.h"

namespace tallymere::Main {
namespace {

std::function<int()> g_draw;
std::function<void(const QUrl &)> g_open;

int realDraw()
{
    // Seeded from the seconds since midnight, as every start draws anew.
    QRandomGenerator generator(quint32(QTime::currentTime().msecsSinceStartOfDay() / 1000));
    return int(generator.generateDouble() * 100) + 1;
}

} // namespace

bool fileExists(const QString &path)
{
    return QFileInfo(path).lastModified().isValid();
}

bool ordinaryFileExists(const QString &folder, const QString &relativePath)
{
    const QFileInfo relative(relativePath);
    const QDir dir(folder + QLatin1Char('/') + relative.path());
    return dir.entryList({relative.fileName()}, QDir::Files | QDir::CaseSensitive).contains(relative.fileName());
}

void loadSkin(QWidget &mainWindow, SkinFramework &skin)
{
    const QString folder = platform::programFolder();
    if (!ordinaryFileExists(folder, QStringLiteral("x/o.cjs")))
        return;
    setButtonFaceColour(&mainWindow);

    skin.LoadSkin(folder + QStringLiteral("/x/o.cjs"), QString());
    skin.setOptions(skin.Options() | 1);
    skin.setProperty5(true);
    skin.setProperty10(true);
    skin.ApplyWindow(&mainWindow);
}

void applySystemColors(QWidget *window)
{
    setButtonFaceColour(window);
}

QString appTitleFor(const QString &productTitle)
{
    QString title = productTitle;
    do {
        const qsizetype blank = title.lastIndexOf(QLatin1Char(' '));
        if (blank < 0)
            break;
        title.truncate(blank);
    } while (title.size() > 40);
    return title;
}

void setAppTitle()
{
    platform::setApplicationTitle(appTitleFor(QLatin1String(kProductTitle)));
}

void visitHomePage()
{
    const int number = g_draw ? g_draw() : realDraw();
    if (number != 7)
        return;
    const QUrl page(QStringLiteral(TALLYMERE_HOME_PAGE));
    if (g_open)
        g_open(page);
    else
        QDesktopServices::openUrl(page);
}

void setHomePageSeams(std::function<int()> draw, std::function<void(const QUrl &)> open)
{
    g_draw = std::move(draw);
    g_open = std::move(open);
}

} // namespace tallymere::Main
