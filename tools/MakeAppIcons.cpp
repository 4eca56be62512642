// Writes the application icon for the desktop's icon theme: the vector art as SVG and
// PNGs at the usual hicolor sizes, all from the one drawing the program's windows use.
//   makeappicons FOLDER NAME   writes FOLDER/hicolor/<size>/apps/NAME.{svg,png}
#include "resources/Icons.h"

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgGenerator>

#include <cstdio>

namespace {

bool writeSvg(const QString &path)
{
    QSvgGenerator svg;
    svg.setFileName(path);
    svg.setSize(QSize(32, 32));
    svg.setViewBox(QRect(0, 0, 32, 32));
    svg.setTitle(QStringLiteral("Pagelot"));
    QPainter painter;
    if (!painter.begin(&svg))
        return false;
    painter.setRenderHint(QPainter::Antialiasing);
    DrawApplicationIcon(painter);
    return painter.end();
}

} // namespace

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: makeappicons FOLDER NAME\n");
        return 2;
    }
    const QDir root(QString::fromLocal8Bit(argv[1]) + QStringLiteral("/hicolor"));
    const QString name = QString::fromLocal8Bit(argv[2]);

    const QString scalable = QStringLiteral("scalable/apps");
    if (!root.mkpath(scalable) || !writeSvg(root.filePath(scalable + '/' + name + ".svg"))) {
        std::fprintf(stderr, "makeappicons: cannot write the SVG icon\n");
        return 1;
    }
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        const QString folder = QStringLiteral("%1x%1/apps").arg(size);
        const QImage image = ApplicationIcon().pixmap(size, size).toImage();
        if (image.size() != QSize(size, size) || !root.mkpath(folder)
            || !image.save(root.filePath(folder + '/' + name + ".png"))) {
            std::fprintf(stderr, "makeappicons: cannot write the %d pixel icon\n", size);
            return 1;
        }
    }
    return 0;
}
