// Writes a small fax TIFF of every kind the fixture writer knows into a folder,
// as the fuzzer's first corpus.

#include "tools/fixtures/FixtureWriter.h"

#include <cstdio>
#include <string>

using namespace fixtures;

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
        return 2;
    }
    const std::string folder = argv[1];
    int written = 0;
    auto note = [&](bool ok) { written += ok ? 1 : 0; };
    const BilevelImage image = makePatternImage(61, 23, 7);
    for (Compression compression : allCompressions()) {
        const std::string name = compressionName(compression);
        FaxTiffOptions options;
        options.compression = compression;
        note(writeFaxTiff(folder + "/" + name + ".tif", image, options));
        options.rowsPerStrip = 5;
        options.fillOrder = 2;
        options.photometric = Photometric::MinIsBlack;
        options.orientation = 4;
        note(writeFaxTiff(folder + "/" + name + "-strips.tif", image, options));
        options.photometric = Photometric::Absent;
        options.bigEndian = true;
        note(writeFaxTiff(folder + "/" + name + "-absent-mm.tif", image, options));
    }
    std::vector<FaxPage> pages;
    for (std::uint32_t i = 0; i < 3; ++i)
        pages.push_back({makePatternImage(40 + i * 9, 17 + i, i + 1), 204.0, 97.5,
                         i == 1 ? ResolutionUnit::Centimetre : ResolutionUnit::Inch});
    note(writeFaxTiff(folder + "/multipage.tif", pages));
    note(writeRefusedTiff(folder + "/grey8.tif", RefusedPage::Grey8));
    note(writeRefusedTiff(folder + "/tiled.tif", RefusedPage::Tiled));
    note(writeRefusedTiff(folder + "/planes3.tif", RefusedPage::SeparatePlanes3));
    std::printf("%d seeds in %s\n", written, folder.c_str());
    return 0;
}
