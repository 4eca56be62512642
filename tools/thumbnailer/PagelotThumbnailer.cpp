// The file manager's thumbnailer for faxes, run as the freedesktop thumbnailer entry
// says (pagelot.thumbnailer):
//
//   pagelot-thumbnailer -s SIZE INPUT OUTPUT
//
// INPUT is a path or a file:// URI. Writes a PNG of page 1 whose longer side is SIZE
// (or the page's own, when smaller). It runs unattended on every file a user browses
// past, so a file it cannot read ends with status 1, one line on standard error and
// no OUTPUT at all: the PNG goes to a temporary file beside OUTPUT, renamed when whole.

#include "display/FaxThumbnail.h"
#include "display/ImagingErrorText.h"

#include <QImageWriter>
#include <QSaveFile>
#include <QString>
#include <QUrl>

#include <cstdio>
#include <cstring>

namespace {

constexpr int MAX_SIZE = 4096;

int fail(const QString &what, const QString &reason)
{
    std::fprintf(stderr, "pagelot-thumbnailer: %s: %s\n", what.toLocal8Bit().constData(),
                 reason.toLocal8Bit().constData());
    return 1;
}

QString localPath(const QString &input)
{
    if (!input.contains(QLatin1String("://")))
        return input;
    const QUrl url(input);
    return url.isLocalFile() ? url.toLocalFile() : QString();
}

} // namespace

int main(int argc, char **argv)
{
    bool sized = false;
    int size = 0;
    if (argc == 5 && std::strcmp(argv[1], "-s") == 0)
        size = QString::fromLocal8Bit(argv[2]).toInt(&sized);
    if (!sized || size < 1 || size > MAX_SIZE) {
        std::fprintf(stderr, "usage: pagelot-thumbnailer -s SIZE(1-%d) INPUT OUTPUT\n", MAX_SIZE);
        return 2;
    }
    const QString input = QString::fromLocal8Bit(argv[3]);
    const QString output = QString::fromLocal8Bit(argv[4]);
    const QString path = localPath(input);
    if (path.isEmpty())
        return fail(input, QStringLiteral("not a local file"));

    QImage image;
    if (std::uint32_t code = RenderFaxThumbnail(path, size, &image))
        return fail(input, ImagingErrorText(code));

    // Unfinished or failed writes never reach OUTPUT: the temporary file is removed.
    QSaveFile file(output);
    if (!file.open(QIODevice::WriteOnly))
        return fail(output, file.errorString());
    QImageWriter writer(&file, "png");
    if (!writer.write(image))
        return fail(output, writer.errorString());
    if (!file.commit())
        return fail(output, file.errorString());
    return 0;
}
