// Faxes from other producers (MANIFEST.tsv beside them says what a correct reader
// does with each): every page must equal, bit for bit within the width, what
// netpbm's tifftopnm makes of it, and refused files must be refused with the
// stated code while page count and information still work.

#include "tests/imaging/TiffTestSupport.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <regex>
#include <sstream>

namespace {

const std::string REALWORLD_DIR = PAGELOT_REALWORLD_DIR;

struct ManifestRow
{
    std::string file;
    std::uint32_t pages = 0;
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::string resolution;
    std::string expected;
};

// Test names and failure messages show the file, not the record's bytes.
void PrintTo(const ManifestRow &row, std::ostream *out) { *out << row.file; }

// A row without a file stands for a missing or empty manifest, so that the suite
// reports a skip with the reason rather than running nothing and passing.
const ManifestRow MISSING_FIXTURES{};

std::vector<ManifestRow> readManifest()
{
    std::vector<ManifestRow> rows;
    std::ifstream in(REALWORLD_DIR + "/MANIFEST.tsv");
    std::string line;
    std::getline(in, line); // column names
    while (std::getline(in, line)) {
        std::vector<std::string> cells;
        std::stringstream split(line);
        for (std::string cell; std::getline(split, cell, '\t');)
            cells.push_back(cell);
        if (cells.size() < 11)
            continue;
        ManifestRow row;
        row.file = cells[0];
        row.pages = std::uint32_t(std::stoul(cells[3]));
        std::sscanf(cells[4].c_str(), "%ux%u", &row.width, &row.height);
        row.resolution = cells[5];
        row.expected = cells[10];
        rows.push_back(row);
    }
    if (rows.empty())
        rows.push_back(MISSING_FIXTURES);
    return rows;
}

// The manifest's resolution column as imgGetTiffInfo must give it: the file's
// rationals truncated, in the file's unit.
TiffResolution expectedResolution(const std::string &text)
{
    double x = 0.0;
    double y = 0.0;
    char unit[16] = {};
    if (std::sscanf(text.c_str(), "%lfx%lf %15s", &x, &y, unit) != 3)
        return {0, 0, 0};
    return {std::int32_t(x), std::int32_t(y), std::string(unit) == "px/cm" ? 3 : 2};
}

struct PbmImage
{
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::vector<std::uint8_t> rows;
};

// Every image tifftopnm writes for the file, as raw PBM (1 = black).
std::vector<PbmImage> decodeWithNetpbm(const std::string &path)
{
    std::vector<PbmImage> images;
    const std::string command = "tifftopnm '" + path + "' 2>/dev/null";
    std::FILE *pipe = ::popen(command.c_str(), "r");
    if (!pipe)
        return images;
    for (;;) {
        PbmImage image;
        char magic[3] = {};
        if (std::fscanf(pipe, "%2s %u %u", magic, &image.width, &image.height) != 3)
            break;
        if (std::string(magic) != "P4" || std::fgetc(pipe) == EOF)
            break;
        image.rows.resize(std::size_t((image.width + 7) / 8) * image.height);
        if (std::fread(image.rows.data(), 1, image.rows.size(), pipe) != image.rows.size())
            break;
        images.push_back(std::move(image));
    }
    ::pclose(pipe);
    return images;
}

class RealWorldFax : public ::testing::TestWithParam<ManifestRow>
{
};

std::string testName(const ::testing::TestParamInfo<ManifestRow> &info)
{
    if (info.param.file.empty())
        return "MissingFixtures";
    std::string name;
    for (char c : info.param.file.substr(0, info.param.file.rfind('.')))
        name += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
    return name;
}

} // namespace

TEST_P(RealWorldFax, ReadsAsTheManifestSays)
{
    const ManifestRow &row = GetParam();
    if (row.file.empty())
        GTEST_SKIP() << "no real-world faxes: " << REALWORLD_DIR
                     << "/MANIFEST.tsv is missing or lists none";
    const std::string path = REALWORLD_DIR + "/" + row.file;

    std::uint32_t code = 0;
    EXPECT_EQ(pageCount(path, &code), row.pages);
    EXPECT_EQ(code, IMG_OK);
    InfoRead info = tiffInfo(path);
    EXPECT_EQ(info.code, IMG_OK);
    EXPECT_EQ(info.width, row.width);
    EXPECT_EQ(info.height, row.height);
    const TiffResolution resolution = expectedResolution(row.resolution);
    EXPECT_EQ(info.resolution.xResolution, resolution.xResolution);
    EXPECT_EQ(info.resolution.yResolution, resolution.yResolution);
    EXPECT_EQ(info.resolution.unit, resolution.unit);

    std::smatch refusal;
    if (std::regex_search(row.expected, refusal, std::regex("code ([0-9]+)"))) {
        const auto refused = std::uint32_t(std::stoul(refusal[1]));
        for (std::int32_t page = 0; page < std::int32_t(row.pages); ++page) {
            EXPECT_EQ(readPage8(path, page).code, refused) << "page " << page;
            EXPECT_EQ(readPage1(path, page).code, refused) << "page " << page;
        }
        return;
    }
    ASSERT_EQ(row.expected, "read fine");

    const std::vector<PbmImage> reference = decodeWithNetpbm(path);
    ASSERT_EQ(reference.size(), row.pages) << "tifftopnm (netpbm) missing or failed";
    for (std::uint32_t page = 0; page < row.pages; ++page) {
        const PbmImage &want = reference[page];
        fixtures::BilevelImage image(want.width, want.height);
        image.rows = want.rows;

        PageRead bits = readPage1(path, std::int32_t(page));
        ASSERT_EQ(bits.code, IMG_OK) << "page " << page;
        EXPECT_EQ(bits.width, want.width) << "page " << page;
        EXPECT_EQ(bits.height, want.height) << "page " << page;
        EXPECT_EQ(firstDifferentRow(bits.pixels, image), -1) << "page " << page;

        PageRead bytes = readPage8(path, std::int32_t(page));
        ASSERT_EQ(bytes.code, IMG_OK) << "page " << page;
        EXPECT_TRUE(bytes.pixels == expectedBytes(image)) << "page " << page;
    }
}

INSTANTIATE_TEST_SUITE_P(Manifest, RealWorldFax, ::testing::ValuesIn(readManifest()), testName);
