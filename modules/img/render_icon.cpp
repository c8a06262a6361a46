// Build step: renders the artwork's vector sources into the raster files the program loads at run time.
// A ".png" target keeps the size the SVG declares, since the window lays its pieces out at those exact
// pixel sizes, unless a size is given (the desktop's icon theme wants squares of set sizes); any other
// target gets the 32x32 tray icon as an .ico.

#include <QGuiApplication>
#include <QImage>
#include <QImageWriter>
#include <QPainter>
#include <QSvgRenderer>

#include <cstdio>
#include <cstdlib>

int main(int argc, char* argv[])
{
    QGuiApplication app(argc, argv);
    const int side = argc == 4 ? std::atoi(argv[3]) : 0;
    if ((argc != 3 && argc != 4) || (argc == 4 && (side < 1 || side > 4096))) {
        std::fprintf(stderr, "usage: render_icon SOURCE.svg TARGET.ico|TARGET.png [SIZE]\n");
        return 2;
    }
    const QString target = QString::fromLocal8Bit(argv[2]);
    const bool png = target.endsWith(QLatin1String(".png"), Qt::CaseInsensitive);
    QSvgRenderer renderer(QString::fromLocal8Bit(argv[1]));
    if (!renderer.isValid()) {
        std::fprintf(stderr, "render_icon: cannot read %s\n", argv[1]);
        return 1;
    }
    const QSize size = side > 0 ? QSize(side, side) : png ? renderer.defaultSize() : QSize(32, 32);
    if (size.isEmpty()) {
        std::fprintf(stderr, "render_icon: %s has an empty size\n", argv[1]);
        return 1;
    }
    QImage image(size, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    renderer.render(&painter);
    painter.end();
    QImageWriter writer(target, png ? "png" : "ico");
    if (!writer.write(image)) {
        std::fprintf(stderr, "render_icon: cannot write %s: %s\n", argv[2], qPrintable(writer.errorString()));
        return 1;
    }
    return 0;
}
