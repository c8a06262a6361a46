// Build step: renders the artwork's vector sources into the raster files the program loads at run time.
// A ".png" target keeps the size the SVG declares, since the window lays its pieces out at those exact
// pixel sizes; any other target gets the 32x32 tray icon as an .ico.

#include <QGuiApplication>
#include <QImage>
#include <QImageWriter>
#include <QPainter>
#include <QSvgRenderer>

#include <cstdio>

int main(int argc, char* argv[])
{
    QGuiApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: render_icon SOURCE.svg TARGET.ico|TARGET.png\n");
        return 2;
    }
    const QString target = QString::fromLocal8Bit(argv[2]);
    const bool png = target.endsWith(QLatin1String(".png"), Qt::CaseInsensitive);
    QSvgRenderer renderer(QString::fromLocal8Bit(argv[1]));
    if (!renderer.isValid()) {
        std::fprintf(stderr, "render_icon: cannot read %s\n", argv[1]);
        return 1;
    }
    const QSize size = png ? renderer.defaultSize() : QSize(32, 32);
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
