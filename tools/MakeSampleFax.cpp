// Writes a sample multi-page fax for trying the viewer: fine, standard and superfine
// resolution pages with printed text and ruled lines, compressed with CCITT Group 4 and
// Group 3.
//
//   makesamplefax OUTPUT.tif

#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>

#include <tiffio.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

namespace {

constexpr int kWidth = 1728;    // A4 fax line at 204 dpi
constexpr int kFineRows = 2292; // A4 at 196 lines per inch
constexpr int kDpiX = 204;

struct TiffCloser
{
    void operator()(TIFF *tiff) const { TIFFClose(tiff); }
};

enum class Coding { G3, G4 };

// Rows per fine row: standard mode samples every other one, superfine twice as many.
enum class Mode { Standard, Fine, Superfine };

struct SheetDesign
{
    const char *title;
    Mode mode;
    Coding coding;
    void (*draw)(QPainter &, int page, int pages);
};

QFont pixelFont(int pixels, bool bold = false, const char *family = "DejaVu Sans")
{
    QFont font(QString::fromLatin1(family));
    font.setPixelSize(pixels);
    font.setBold(bold);
    font.setStyleStrategy(QFont::NoAntialias);
    return font;
}

// The line a sending machine prints across the top of every page.
void drawHeaderLine(QPainter &p, int page, int pages)
{
    p.setFont(pixelFont(22, false, "DejaVu Sans Mono"));
    p.drawText(40, 40,
               QStringLiteral("08-DEC-2026 09:14   FROM: +44 1632 960 417  BRACKWATER SYSTEMS"
                              "          P.%1/%2")
                   .arg(page, 2, 10, QLatin1Char('0'))
                   .arg(pages, 2, 10, QLatin1Char('0')));
}

void drawLetter(QPainter &p, int page, int pages)
{
    drawHeaderLine(p, page, pages);
    p.setFont(pixelFont(64, true));
    p.drawText(120, 200, QStringLiteral("Brackwater Systems"));
    p.setFont(pixelFont(26));
    p.drawText(120, 245, QStringLiteral("14 Quayside Row  \u00b7  Harbour Town  \u00b7  HT4 2QX"));
    p.fillRect(120, 270, kWidth - 240, 6, Qt::black);

    p.setFont(pixelFont(44, true));
    p.drawText(120, 380, QStringLiteral("FACSIMILE"));
    p.setFont(pixelFont(30));
    const char *fields[][2] = {{"To:", "Accounts Department, Northfield Supplies"},
                               {"Fax:", "+44 1632 960 882"},
                               {"From:", "Ruth Alder"},
                               {"Date:", "8 December 2026"},
                               {"Pages:", "4 including this page"}};
    int y = 450;
    for (const auto &field : fields) {
        p.drawText(120, y, QString::fromLatin1(field[0]));
        p.drawText(360, y, QString::fromLatin1(field[1]));
        p.drawLine(350, y + 10, kWidth - 120, y + 10);
        y += 60;
    }
    const char *body[] = {
        "Dear Sir or Madam,",
        "",
        "Please find enclosed our order for the coming quarter together with the",
        "delivery schedule agreed at our meeting last week. The drawing on page 3",
        "shows the revised bracket; please note the changed hole spacing.",
        "",
        "Page 4 was sent in standard resolution from our older machine. Kindly",
        "confirm receipt of all pages by return fax.",
        "",
        "Yours faithfully,",
    };
    y += 60;
    for (const char *line : body) {
        p.drawText(120, y, QString::fromLatin1(line));
        y += 44;
    }
    // A signature.
    QPainterPath signature;
    signature.moveTo(130, y + 90);
    signature.cubicTo(170, y - 10, 210, y + 130, 260, y + 40);
    signature.cubicTo(300, y - 20, 330, y + 110, 380, y + 60);
    signature.cubicTo(420, y + 20, 450, y + 80, 520, y + 50);
    p.setPen(QPen(Qt::black, 4));
    p.drawPath(signature);
    p.setPen(QPen(Qt::black, 1));
    p.drawText(120, y + 160, QStringLiteral("Ruth Alder, Purchasing"));
}

void drawOrder(QPainter &p, int page, int pages)
{
    drawHeaderLine(p, page, pages);
    p.setFont(pixelFont(48, true));
    p.drawText(120, 180, QStringLiteral("Purchase Order 2026-1187"));
    const int left = 120, right = kWidth - 120;
    const int columns[] = {left, left + 180, left + 900, left + 1100, right};
    const char *heads[] = {"Item", "Description", "Qty", "Price"};
    int y = 260;
    const int rowHeight = 64;
    p.setPen(QPen(Qt::black, 3));
    for (int row = 0; row <= 16; ++row)
        p.drawLine(left, y + row * rowHeight, right, y + row * rowHeight);
    for (int x : columns)
        p.drawLine(x, y, x, y + 16 * rowHeight);
    p.setPen(QPen(Qt::black, 1));
    p.setFont(pixelFont(30, true));
    for (int c = 0; c < 4; ++c)
        p.drawText(columns[c] + 14, y + 44, QString::fromLatin1(heads[c]));
    p.setFont(pixelFont(28));
    for (int row = 1; row < 16; ++row) {
        const int ty = y + row * rowHeight + 44;
        p.drawText(columns[0] + 14, ty, QStringLiteral("%1").arg(1000 + row * 7));
        p.drawText(columns[1] + 14, ty,
                   QStringLiteral("Bracket, galvanised steel, type %1").arg(QChar(u'A' + row)));
        p.drawText(columns[2] + 14, ty, QStringLiteral("%1").arg(row * 25));
        p.drawText(
            columns[3] + 14, ty,
            QStringLiteral("%1.%2").arg(3 + row % 5).arg(row * 7 % 100, 2, 10, QLatin1Char('0')));
    }
    p.setFont(pixelFont(30));
    p.drawText(left, y + 17 * rowHeight + 40,
               QStringLiteral("Delivery to Goods In, gate 3, weekdays 08:00-15:00."));
}

void drawDrawing(QPainter &p, int page, int pages)
{
    drawHeaderLine(p, page, pages);
    p.setFont(pixelFont(40, true));
    p.drawText(120, 170, QStringLiteral("Bracket type C - revision 4"));
    p.setPen(QPen(Qt::black, 5));
    p.drawRect(200, 300, 1300, 700);
    p.drawRect(200, 1200, 1300, 200);
    p.setPen(QPen(Qt::black, 2));
    for (int x = 350; x <= 1350; x += 250) {
        p.drawEllipse(QPoint(x, 650), 50, 50);
        p.drawLine(x - 70, 650, x + 70, 650);
        p.drawLine(x, 580, x, 720);
    }
    // Dimension lines.
    p.drawLine(350, 1080, 600, 1080);
    p.drawLine(350, 1060, 350, 1100);
    p.drawLine(600, 1060, 600, 1100);
    p.setFont(pixelFont(28));
    p.drawText(420, 1065, QStringLiteral("62.5"));
    // A fine grid: one-pixel lines that smoothing must keep visible.
    for (int x = 200; x <= 1500; x += 20)
        p.drawLine(x, 1600, x, 2100);
    for (int y = 1600; y <= 2100; y += 20)
        p.drawLine(200, y, 1500, y);
    p.drawText(200, 2170, QStringLiteral("Grid 1 mm. All dimensions in millimetres."));
}

void drawStandardNote(QPainter &p, int page, int pages)
{
    drawHeaderLine(p, page, pages);
    p.setFont(pixelFont(56, true));
    p.drawText(120, 260, QStringLiteral("Delivery schedule"));
    p.setFont(pixelFont(34));
    const char *weeks[] = {"Week 2: items 1007 to 1042", "Week 5: items 1049 to 1077",
                           "Week 9: items 1084 to 1105", "Week 12: remaining items"};
    int y = 400;
    for (const char *week : weeks) {
        p.drawText(160, y, QString::fromLatin1(week));
        y += 90;
    }
    p.setPen(QPen(Qt::black, 4));
    p.drawLine(120, y, kWidth - 120, y);
    p.drawLine(120, y + 20, kWidth - 120, y + 20);
}

const SheetDesign kPages[] = {
    {"Cover letter", Mode::Fine, Coding::G4, drawLetter},
    {"Purchase order", Mode::Fine, Coding::G3, drawOrder},
    {"Drawing", Mode::Fine, Coding::G4, drawDrawing},
    {"Delivery schedule", Mode::Standard, Coding::G3, drawStandardNote},
    {"Drawing, superfine", Mode::Superfine, Coding::G4, drawDrawing},
};

// Renders a page at fine resolution, or at twice its rows for superfine; a standard page
// keeps every other row, as a standard-mode scanner would have sampled it.
std::vector<unsigned char> renderPage(const SheetDesign &sheet, int page, int pages, int &rows)
{
    const int scale = sheet.mode == Mode::Superfine ? 2 : 1;
    QImage image(kWidth, kFineRows * scale, QImage::Format_Grayscale8);
    image.fill(255);
    {
        QPainter painter(&image);
        painter.scale(1, scale);
        painter.setPen(Qt::black);
        sheet.draw(painter, page, pages);
    }
    const int step = sheet.mode == Mode::Standard ? 2 : 1;
    rows = kFineRows * scale / step;
    const int rowBytes = (kWidth + 7) / 8;
    std::vector<unsigned char> bits(static_cast<size_t>(rowBytes) * rows, 0);
    for (int r = 0; r < rows; ++r) {
        const uchar *line = image.constScanLine(r * step);
        unsigned char *out = bits.data() + static_cast<size_t>(r) * rowBytes;
        for (int x = 0; x < kWidth; ++x) {
            if (line[x] < 128)
                out[x / 8] |= static_cast<unsigned char>(0x80 >> (x % 8));
        }
    }
    return bits;
}

bool writePage(TIFF *tiff, const SheetDesign &sheet, int page, int pages)
{
    int rows = 0;
    const std::vector<unsigned char> bits = renderPage(sheet, page, pages, rows);
    TIFFSetField(tiff, TIFFTAG_SUBFILETYPE, FILETYPE_PAGE);
    TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, kWidth);
    TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, rows);
    TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, 1);
    TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, 1);
    TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISWHITE);
    TIFFSetField(tiff, TIFFTAG_FILLORDER, FILLORDER_MSB2LSB);
    TIFFSetField(tiff, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(tiff, TIFFTAG_RESOLUTIONUNIT, RESUNIT_INCH);
    TIFFSetField(tiff, TIFFTAG_XRESOLUTION, static_cast<float>(kDpiX));
    const float yResolution[] = {98.0f, 196.0f, 391.0f};
    TIFFSetField(tiff, TIFFTAG_YRESOLUTION, yResolution[static_cast<int>(sheet.mode)]);
    TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, rows);
    TIFFSetField(tiff, TIFFTAG_PAGENUMBER, page - 1, pages);
    TIFFSetField(tiff, TIFFTAG_PAGENAME, sheet.title);
    TIFFSetField(tiff, TIFFTAG_SOFTWARE, "Pagelot sample fax maker");
    if (sheet.coding == Coding::G4) {
        TIFFSetField(tiff, TIFFTAG_COMPRESSION, COMPRESSION_CCITTFAX4);
    } else {
        TIFFSetField(tiff, TIFFTAG_COMPRESSION, COMPRESSION_CCITTFAX3);
        TIFFSetField(tiff, TIFFTAG_GROUP3OPTIONS, GROUP3OPT_2DENCODING | GROUP3OPT_FILLBITS);
    }
    const int rowBytes = (kWidth + 7) / 8;
    for (int r = 0; r < rows; ++r) {
        auto *row = const_cast<unsigned char *>(bits.data() + static_cast<size_t>(r) * rowBytes);
        if (TIFFWriteScanline(tiff, row, static_cast<uint32_t>(r), 0) < 0)
            return false;
    }
    return TIFFWriteDirectory(tiff) != 0;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT.tif\n", argv[0]);
        return 2;
    }
    if (!std::getenv("QT_QPA_PLATFORM"))
        ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QGuiApplication app(argc, argv);

    std::unique_ptr<TIFF, TiffCloser> tiff(TIFFOpen(argv[1], "w"));
    if (!tiff) {
        std::fprintf(stderr, "%s: cannot create %s\n", argv[0], argv[1]);
        return 1;
    }
    const int pages = static_cast<int>(std::size(kPages));
    for (int i = 0; i < pages; ++i) {
        if (!writePage(tiff.get(), kPages[i], i + 1, pages)) {
            std::fprintf(stderr, "%s: cannot write page %d of %s\n", argv[0], i + 1, argv[1]);
            return 1;
        }
    }
    return 0;
}
