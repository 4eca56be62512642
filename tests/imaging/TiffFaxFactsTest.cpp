#include "imaging/imaging.h"
#include "tools/fixtures/FixtureWriter.h"
#include "tools/fixtures/TempDir.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

using namespace fixtures;

namespace {

struct SourceCloser
{
    void operator()(DataSource *source) const { imgCloseSource(source); }
};

struct FactsRead
{
    std::int32_t result = 0;
    std::uint32_t code = 0;
    TiffFaxFacts facts{};
};

FactsRead factsOf(const std::string &path, std::int32_t page)
{
    std::unique_ptr<DataSource, SourceCloser> source(imgOpenFileSource(path.c_str()));
    FactsRead read;
    read.result = imgGetTiffFaxFacts(source.get(), page, &read.facts);
    read.code = imgGetLastError();
    return read;
}

} // namespace

// The tags two common receiving programs write, read back from the directory alone; the
// damaged-line figures only where the page is CCITT coded.
TEST(TiffFaxFacts, ReadsWhatReceivingSoftwareWrites)
{
    TempDir dir;
    FaxPage modem{makePatternImage(64, 40)};
    modem.tags.imageDescription = "+44 1632 960417\n01632960417\nBRACKWATER";
    modem.tags.dateTime = "2026:12:08 09:14:05";
    modem.tags.make = "USRobotics";
    modem.tags.model = "Courier V.Everything";
    modem.tags.hostComputer = "faxgate";
    modem.tags.software = "HylaFAX";
    modem.tags.subAddress = "4711";
    modem.tags.recvTime = 47;
    modem.tags.badLines = 12;
    modem.tags.consecutiveBad = 3;
    modem.tags.cleanData = 2;
    FaxPage sender = modem;
    sender.tags = FaxTags{};
    sender.tags.dateTime = "2026/12/08 09:15:00";
    sender.tags.make = "Brother";
    sender.tags.model = "MFC-L2700";
    sender.tags.pageNumber = true;
    sender.tags.badLines = 9; // not written: no CCITT codec on a PackBits page
    sender.compression = Compression::PackBits;
    const std::string path = dir.file("two.tif");
    ASSERT_TRUE(writeFaxTiff(path, {modem, sender}));

    const FactsRead first = factsOf(path, 0);
    ASSERT_EQ(first.result, 1);
    EXPECT_EQ(first.code, IMG_OK);
    EXPECT_STREQ(first.facts.description, "+44 1632 960417\n01632960417\nBRACKWATER");
    EXPECT_STREQ(first.facts.dateTime, "2026:12:08 09:14:05");
    EXPECT_STREQ(first.facts.make, "USRobotics");
    EXPECT_STREQ(first.facts.model, "Courier V.Everything");
    EXPECT_STREQ(first.facts.hostComputer, "faxgate");
    EXPECT_STREQ(first.facts.software, "HylaFAX");
    EXPECT_STREQ(first.facts.subAddress, "4711");
    EXPECT_EQ(first.facts.page.width, 64u);
    EXPECT_EQ(first.facts.page.height, 40u);
    EXPECT_EQ(first.facts.page.resolution.yResolution, 196);
    EXPECT_EQ(first.facts.page.compression, 4u);
    EXPECT_EQ(first.facts.page.recvTime, 47);
    EXPECT_EQ(first.facts.page.badLines, 12);
    EXPECT_EQ(first.facts.page.consecutiveBadLines, 3);
    EXPECT_EQ(first.facts.page.cleanData, 2);

    const FactsRead second = factsOf(path, 1);
    ASSERT_EQ(second.result, 1);
    EXPECT_STREQ(second.facts.description, "");
    EXPECT_STREQ(second.facts.dateTime, "2026/12/08 09:15:00");
    EXPECT_STREQ(second.facts.make, "Brother");
    EXPECT_EQ(second.facts.page.compression, 32773u);
    EXPECT_EQ(second.facts.page.recvTime, -1);
    EXPECT_EQ(second.facts.page.badLines, -1);
    EXPECT_EQ(second.facts.page.consecutiveBadLines, -1);
    EXPECT_EQ(second.facts.page.cleanData, -1);

    // The numbers of a run of pages in one walk, stopping where the file ends.
    std::unique_ptr<DataSource, SourceCloser> source(imgOpenFileSource(path.c_str()));
    TiffPageFacts pages[3] = {};
    pages[2].width = 777;
    EXPECT_EQ(imgGetTiffPageFacts(source.get(), 0, 3, pages), 2u);
    EXPECT_EQ(imgGetLastError(), IMG_OK);
    EXPECT_EQ(pages[0].badLines, 12);
    EXPECT_EQ(pages[1].compression, 32773u);
    EXPECT_EQ(pages[1].badLines, -1);
    EXPECT_EQ(pages[2].width, 777u);
    imgSeekSource(source.get(), 0, 0);
    EXPECT_EQ(imgGetTiffPageFacts(source.get(), 1, 1, pages), 1u);
    EXPECT_EQ(pages[0].compression, 32773u);
    imgSeekSource(source.get(), 0, 0);
    EXPECT_EQ(imgGetTiffPageFacts(source.get(), 2, 1, pages), 0u);
    EXPECT_EQ(imgGetLastError(), IMG_ERR_BAD_PARAM);
}

// A hostile description (10 MB, control characters, invalid UTF-8) comes back cut to the
// record's bound and zero-terminated; a missing page or a file that is not TIFF gives a
// cleared record and its code.
TEST(TiffFaxFacts, BoundsHostileTextAndReportsFailures)
{
    TempDir dir;
    FaxPage page{makePatternImage(32, 16)};
    std::string hostile = "\x01\x1b[31m\xff\xfe<b>";
    hostile.resize(10 * 1024 * 1024, '\x7f');
    page.tags.imageDescription = hostile;
    const std::string path = dir.file("hostile.tif");
    ASSERT_TRUE(writeFaxTiff(path, {page}));
    const FactsRead read = factsOf(path, 0);
    ASSERT_EQ(read.result, 1);
    EXPECT_EQ(std::string(read.facts.description), hostile.substr(0, IMG_FAX_TEXT_BYTES - 1));

    const std::string garbage = dir.write("garbage.tif", "not a fax");
    const struct
    {
        std::string path;
        std::int32_t page;
        std::uint32_t code;
    } rows[] = {{path, 1, IMG_ERR_BAD_PARAM},
                {path, -1, IMG_ERR_BAD_PARAM},
                {garbage, 0, IMG_ERR_INVALID_TIFF}};
    for (const auto &row : rows) {
        const FactsRead failed = factsOf(row.path, row.page);
        EXPECT_EQ(failed.result, 0) << row.page;
        EXPECT_EQ(failed.code, row.code) << row.page;
        EXPECT_STREQ(failed.facts.description, "");
        EXPECT_EQ(failed.facts.page.badLines, -1);
    }
    std::unique_ptr<DataSource, SourceCloser> source(imgOpenFileSource(path.c_str()));
    EXPECT_EQ(imgGetTiffFaxFacts(source.get(), 0, nullptr), 0);
    EXPECT_EQ(imgGetLastError(), IMG_ERR_BAD_PARAM);
    EXPECT_EQ(imgGetTiffFaxFacts(nullptr, 0, nullptr), 0);
    EXPECT_EQ(imgGetLastError(), IMG_ERR_BAD_PARAM);
}
