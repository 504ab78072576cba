// tallymere-rendericon SVG SIZE PNG: renders the SVG onto a transparent square of SIZE pixels
// and writes it as PNG, the way the windows render the program icon. The build makes the theme
// icons with it; exits with 1 when the SVG cannot be read or the PNG cannot be written.

#include <cstdio>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QString>
#include <QSvgRenderer>

namespace {

void say(const QString &line)
{
    std::fputs(qPrintable(line + u'\n'), stderr);
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc != 4) {
        say(QStringLiteral("usage: tallymere-rendericon SVG SIZE PNG"));
        return 1;
    }
    const QString svg = QFile::decodeName(argv[1]);
    bool sizeOk = false;
    const int size = QString::fromLocal8Bit(argv[2]).toInt(&sizeOk);
    const QString png = QFile::decodeName(argv[3]);
    if (!sizeOk || size <= 0) {
        say(QStringLiteral("tallymere-rendericon: not a size in pixels: %1").arg(QString::fromLocal8Bit(argv[2])));
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
