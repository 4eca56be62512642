#include "DocumentTestFixture.h"

#include "document/FaxProperties.h"

#include <QDir>

using namespace fixtures;

namespace {

using Lines = std::vector<std::pair<CString, CString>>;

// The lines before the file's own (path, size, time), which vary by run.
Lines factLines(const FaxProperties &properties)
{
    Lines lines;
    for (const FaxPropertyLine &line : properties.lines) {
        if (line.label == QLatin1String("File"))
            break;
        lines.emplace_back(line.label, line.value);
    }
    return lines;
}

QStringList pageLines(const FaxProperties &properties)
{
    QStringList lines;
    for (std::size_t i = 0; i < properties.pages.size(); ++i)
        lines << PageDescription(std::int32_t(i), properties.pages[i]);
    return lines;
}

FaxPage pageWith(const FaxTags &tags, std::uint32_t height = 40)
{
    FaxPage page{makePatternImage(64, height)};
    page.tags = tags;
    return page;
}

} // namespace

// The two common writers: one with the sender's identifier and caller ID in the
// description, a colon date and the receiving modem; one with a placeholder sender, a
// slash date, the sending machine and page numbers. The last page's time shows where it
// differs; damaged lines are counted per page.
TEST(FaxPropertiesReading, ShowsWhatBothWritersRecord)
{
    TempDir dir;
    FaxTags modem;
    modem.imageDescription = "+44 1632 960417\n01632960417\nJOHN SMITH";
    modem.dateTime = "2026:12:08 09:14:05";
    modem.make = "USRobotics";
    modem.model = "Courier V.Everything";
    modem.software = "HylaFAX 7.0";
    modem.subAddress = "4711";
    modem.recvTime = 40;
    modem.badLines = 12;
    modem.consecutiveBad = 3;
    FaxTags modemClean = modem;
    modemClean.recvTime = 35;
    modemClean.badLines = 0;
    modemClean.consecutiveBad = 0;
    const std::string first = dir.file("modem.tif");
    ASSERT_TRUE(
        writeFaxTiff(first, {pageWith(modem), pageWith(modemClean, 30)}, {Compression::G3TwoD}));

    FaxTags machine;
    machine.imageDescription = "<UNSPECIFIED>";
    machine.dateTime = "2026/12/08 09:15:00";
    machine.make = "Brother";
    machine.model = "MFC-L2700";
    machine.pageNumber = true;
    machine.cleanData = 0;
    FaxTags machineLast = machine;
    machineLast.dateTime = "2026/12/08 09:16:10";
    const std::string second = dir.file("machine.tif");
    ASSERT_TRUE(
        writeFaxTiff(second, {pageWith(machine), pageWith(machine), pageWith(machineLast)}));

    const FaxProperties fromModem = ReadFaxProperties(qpath(first));
    EXPECT_EQ(factLines(fromModem), (Lines{
                                        {"From", "+44 1632 960417\n01632960417\nJOHN SMITH"},
                                        {"Received", "2026-12-08 09:14:05"},
                                        {"Time on line", "1 min 15 s"},
                                        {"Damaged pages", "1 of 2: 1"},
                                        {"Make", "USRobotics"},
                                        {"Model", "Courier V.Everything"},
                                        {"Software", "HylaFAX 7.0"},
                                        {"Sub-address", "4711"},
                                    }));
    EXPECT_EQ(pageLines(fromModem),
              QStringList({"Page 1: 64 x 40 pixels, 204 x 196 dpi, CCITT Group 3, 12 damaged "
                           "lines (at most 3 in a row)",
                           "Page 2: 64 x 30 pixels, 204 x 196 dpi, CCITT Group 3, clean"}));

    const FaxProperties fromMachine = ReadFaxProperties(qpath(second));
    EXPECT_EQ(factLines(fromMachine),
              (Lines{
                  {"From", "(not given)"},
                  {"Received", "2026-12-08 09:15:00, last page 2026-12-08 09:16:10"},
                  {"Make", "Brother"},
                  {"Model", "MFC-L2700"},
              }));
    EXPECT_EQ(pageLines(fromMachine).size(), 3);
    EXPECT_TRUE(pageLines(fromMachine).back().endsWith(", CCITT Group 4, clean"));
    const FaxPropertyLine &file = fromMachine.lines[4];
    EXPECT_EQ(file.label, QStringLiteral("File"));
    EXPECT_EQ(file.value, QDir::toNativeSeparators(qpath(second)));
}

// A fax without facts says so; a hostile description (10 MB, control characters,
// invalid UTF-8, markup) is shown bounded, printable and as it is written.
TEST(FaxPropertiesReading, AbsentAndHostileFields)
{
    TempDir dir;
    const std::string bare = dir.file("bare.tif");
    ASSERT_TRUE(writeFaxTiff(bare, {FaxPage{makePatternImage(50, 20)}}));
    const FaxProperties none = ReadFaxProperties(qpath(bare));
    EXPECT_EQ(factLines(none), (Lines{{"From", "(not given)"}, {"Received", "(not given)"}}));
    EXPECT_EQ(pageLines(none),
              QStringList({"Page 1: 50 x 20 pixels, 204 x 196 dpi, CCITT Group 4"}));

    FaxTags hostile;
    hostile.imageDescription = "<b>Evil</b>\x1b[31m\xff\xfe\t\x01id\n\n\x7f\x7f";
    hostile.imageDescription.resize(10 * 1024 * 1024, 'x');
    hostile.make = std::string(5000, 'M');
    hostile.dateTime = "2026:02:30 10:00:00";
    const std::string path = dir.file("hostile.tif");
    ASSERT_TRUE(writeFaxTiff(path, {pageWith(hostile)}));
    const Lines lines = factLines(ReadFaxProperties(qpath(path)));
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0].second.split(u'\n').front(),
              QStringLiteral("<b>Evil</b>[31m\uFFFD\uFFFD id"));
    for (const auto &[label, value] : lines) {
        for (const QString &line : value.split(u'\n')) {
            EXPECT_LE(line.size(), MAX_FIELD_CHARS) << label.toStdString();
            for (const QChar c : line)
                EXPECT_TRUE(c.isPrint()) << label.toStdString() << " " << int(c.unicode());
        }
    }
    EXPECT_EQ(lines[1], std::make_pair(CString("Received"), CString("(not given)")));
    EXPECT_EQ(lines[2].first, QStringLiteral("Make"));
    EXPECT_EQ(lines[2].second.size(), MAX_FIELD_CHARS);
    EXPECT_TRUE(lines[2].second.endsWith(QChar(0x2026)));

    const FaxProperties garbage = ReadFaxProperties(qpath(dir.write("junk.tif", "junk")));
    ASSERT_FALSE(garbage.lines.empty());
    EXPECT_EQ(garbage.lines.front().label, QStringLiteral("File"));
    EXPECT_TRUE(garbage.pages.empty());
}

// A long fax shows from its first and last page; the pages in view are read when asked
// for, the rest a chunk at a time, and the summary over all of them, once complete, is
// the one a single pass gives.
TEST(FaxPropertiesReading, LongFaxReadsPagesAsWanted)
{
    TempDir dir;
    constexpr std::uint32_t PAGES = FAX_PAGE_CHUNK * 3 + 5;
    std::vector<FaxPage> pages;
    for (std::uint32_t i = 0; i < PAGES; ++i) {
        FaxTags tags;
        tags.dateTime = i + 1 < PAGES ? "2026:12:08 09:14:05" : "2026:12:08 10:00:00";
        tags.recvTime = 2;
        tags.badLines = i == 1 || i == PAGES - 1 ? 7 : 0;
        pages.push_back(pageWith(tags, 8 + i % 5));
    }
    const std::string path = dir.file("long.tif");
    ASSERT_TRUE(writeFaxTiff(path, pages, {Compression::G3TwoD}));

    FaxFacts facts = ReadFaxFacts(qpath(path));
    FaxPageFacts &lazy = *facts.pages;
    ASSERT_EQ(lazy.Count(), PAGES);
    EXPECT_EQ(facts.lines[1].value, "2026-12-08 09:14:05, last page 2026-12-08 10:00:00");
    EXPECT_EQ(facts.lines[facts.summaryAt - 1].label, QStringLiteral("Received"));
    EXPECT_EQ(lazy.PagesRead(), 0u);
    ASSERT_NE(lazy.Page(PAGES - 1), nullptr);
    EXPECT_EQ(lazy.Page(PAGES - 1)->badLines, 7);
    EXPECT_EQ(lazy.Page(PAGES - 1)->height, 8 + (PAGES - 1) % 5);
    EXPECT_EQ(lazy.Page(PAGES), nullptr);
    EXPECT_FALSE(lazy.Complete());
    EXPECT_TRUE(lazy.SummaryLines().empty());

    std::uint32_t steps = 0;
    while (lazy.ReadMore())
        ++steps;
    EXPECT_EQ(steps, 2u) << "the chunk already read is not read again";
    ASSERT_TRUE(lazy.Complete());
    EXPECT_EQ(lazy.PagesRead(), PAGES);
    const std::vector<FaxPropertyLine> summary = lazy.SummaryLines();
    Lines shown;
    for (const FaxPropertyLine &line : summary)
        shown.emplace_back(line.label, line.value);
    EXPECT_EQ(shown, (Lines{{"Time on line", "3 min 22 s"},
                            {"Damaged pages", QStringLiteral("2 of %1: 2, %1").arg(PAGES)}}));

    const FaxProperties whole = ReadFaxProperties(qpath(path));
    ASSERT_EQ(whole.pages.size(), PAGES);
    for (std::uint32_t i = 0; i < PAGES; ++i)
        EXPECT_EQ(PageDescription(std::int32_t(i), whole.pages[i]),
                  PageDescription(std::int32_t(i), *lazy.Page(i)));
    EXPECT_EQ(whole.lines[facts.summaryAt].label, QStringLiteral("Time on line"));
    EXPECT_EQ(whole.lines[facts.summaryAt + 1].label, QStringLiteral("Damaged pages"));
}
