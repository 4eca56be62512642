#include "tests/print/PdfSheets.h"
#include "tests/support/Command.h"

#include <QImage>
#include <QTemporaryDir>

#include <cstdio>
#include <sstream>

namespace {

std::string quoted(const std::string &text) { return "'" + text + "'"; }

std::string infoField(const std::string &pdf, const std::string &field)
{
    const std::string info = runCommand("pdfinfo " + quoted(pdf) + " 2>/dev/null");
    const auto at = info.find(field + ":");
    if (at == std::string::npos)
        return {};
    const auto end = info.find('\n', at);
    return info.substr(at + field.size() + 1, end - at - field.size() - 1);
}

} // namespace

namespace pdfsheets {

int sheetCount(const std::string &pdf)
{
    const std::string pages = infoField(pdf, "Pages");
    return pages.empty() ? -1 : std::stoi(pages);
}

std::string title(const std::string &pdf)
{
    std::string text = infoField(pdf, "Title");
    const auto start = text.find_first_not_of(' ');
    return start == std::string::npos ? std::string() : text.substr(start);
}

QSizeF paperPoints(const std::string &pdf)
{
    // "612 x 792 pts (letter)"
    std::istringstream in(infoField(pdf, "Page size"));
    double width = 0;
    double height = 0;
    std::string times;
    if (!(in >> width >> times >> height))
        return {};
    return QSizeF(width, height);
}

QRect inkBox(const std::string &pdf, int sheet, int dpi, bool *rendered)
{
    QTemporaryDir dir;
    const std::string prefix = dir.filePath(QStringLiteral("sheet")).toStdString();
    const std::string page = std::to_string(sheet);
    runCommand("pdftoppm -gray -singlefile -r " + std::to_string(dpi) + " -f " + page + " -l "
               + page + " " + quoted(pdf) + " " + quoted(prefix));
    const QImage image =
        QImage(QString::fromStdString(prefix + ".pgm")).convertToFormat(QImage::Format_Grayscale8);
    if (rendered)
        *rendered = !image.isNull();
    int left = image.width();
    int top = image.height();
    int right = -1;
    int bottom = -1;
    for (int y = 0; y < image.height(); ++y) {
        const uchar *row = image.constScanLine(y);
        for (int x = 0; x < image.width(); ++x) {
            if (row[x] >= 128)
                continue;
            left = std::min(left, x);
            right = std::max(right, x);
            top = std::min(top, y);
            bottom = std::max(bottom, y);
        }
    }
    return right < 0 ? QRect() : QRect(QPoint(left, top), QPoint(right, bottom));
}

} // namespace pdfsheets
