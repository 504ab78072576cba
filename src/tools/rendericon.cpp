// tallymere-rendericon SVG SIZE PNG: renders the SVG onto a transparent square of SIZE pixels
// and writes it as PNG, the way the windows render the program icon. The build makes the theme
// icons with it; exits with 1 when the SVG cannot be read or the PNG cannot be written.

#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QString>
#include <QSvgRenderer>

#include "tools/commandline.h"

using tallymere::tools::say;

int main(int argc, char *argv[])
{
    const auto arguments = tallymere::tools::commandArguments(argc, argv, 3, QStringLiteral("tallymere-rendericon SVG SIZE PNG"));
    if (!arguments)
        return 1;
    const QString &svg = arguments->at(0);
    bool sizeOk = false;
    const int size = arguments->at(1).toInt(&sizeOk);
    const QString &png = arguments->at(2);
    if (!sizeOk || size <= 0) {
        say(QStringLiteral("tallymere-rendericon: not a size in pixels: %1").arg(arguments->at(1)));
        return 1;
    }

    QSvgRenderer renderer(svg);
    if (!renderer.isValid()) {
        say(QStringLiteral("tallymere-rendericon: cannot read %1").arg(svg));
        return 1;
    }
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        renderer.render(&painter);
    }
    QDir().mkpath(QFileInfo(png).absolutePath());
    if (!image.save(png, "PNG")) {
        say(QStringLiteral("tallymere-rendericon: cannot write %1").arg(png));
        return 1;
    }
    return 0;
}
