#include "tools/fixtures/FixtureWriter.h"
#include "tools/fixtures/LongFax.h"
#include "tools/fixtures/TempDir.h"

#include <QImage>
#include <QString>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace fixtures;
namespace fs = std::filesystem;

namespace {

struct ThumbnailRun
{
    int status = -1; // exit status; -1 when killed or ended by a signal
    std::string errors;
};

// Runs the thumbnailer as a file manager does, its standard error kept. A run that
// outlasts the guard is killed and reported as such, never waited for.
ThumbnailRun thumbnail(const std::string &input, const std::string &output,
                       const std::string &size = "256")
{
    static const TempDir logs;
    const std::string errorsPath = logs.file("stderr");
    ThumbnailRun run;
    const pid_t pid = ::fork();
    if (pid == 0) {
        const int errors = ::open(errorsPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        ::dup2(errors, 2);
        ::execl(PAGELOT_THUMBNAILER, PAGELOT_THUMBNAILER, "-s", size.c_str(), input.c_str(),
                output.c_str(), static_cast<char *>(nullptr));
        ::_exit(127);
    }
    int status = 0;
    const auto guard = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (::waitpid(pid, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > guard) {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, &status, 0);
            ADD_FAILURE() << input << ": still running after 30 s";
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    if (WIFEXITED(status))
        run.status = WEXITSTATUS(status);
    std::ifstream in(errorsPath);
    std::stringstream text;
    text << in.rdbuf();
    run.errors = text.str();
    fs::remove(errorsPath);
    return run;
}

// What every refusal must look like: status 1, one line naming the file, and nothing
// left in the output's folder (no empty file, no temporary one).
void expectRefused(const ThumbnailRun &run, const std::string &input, const TempDir &out,
                   const std::string &what)
{
    EXPECT_EQ(run.status, 1) << what;
    EXPECT_EQ(std::count(run.errors.begin(), run.errors.end(), '\n'), 1) << what << run.errors;
    EXPECT_NE(run.errors.find(input), std::string::npos) << what << run.errors;
    EXPECT_TRUE(fs::is_empty(out.path())) << what;
}

double meanLevel(const QImage &image, int top, int bottom)
{
    double sum = 0;
    for (int y = top; y < bottom; ++y)
        for (int x = 0; x < image.width(); ++x)
            sum += qGray(image.pixel(x, y));
    return sum / (double(bottom - top) * image.width());
}

// A white page with a black band over its top tenth: inverted, upside down or
// squashed thumbnails all show.
BilevelImage bandedPage(std::uint32_t width, std::uint32_t height)
{
    BilevelImage page(width, height);
    page.fillRect(0, 0, width, height / 10);
    return page;
}

} // namespace

TEST(Thumbnailer, Page1ShowsBlackOnWhiteAtTheShapeTheViewerGivesIt)
{
    struct Row
    {
        const char *what;
        std::uint32_t width, height;
        double xResolution, yResolution;
        ResolutionUnit unit;
        Compression compression;
        Photometric photometric;
        int size;
        int expectedWidth, expectedHeight;
    };
    // Normal-mode pages show with their rows doubled, superfine pages with their rows
    // merged; a page smaller than the size asked is not enlarged.
    const Row rows[] = {
        {"fine", 1728, 2200, 204, 196, ResolutionUnit::Inch, Compression::G4,
         Photometric::MinIsWhite, 256, 201, 256},
        {"standard", 1728, 1100, 204, 98, ResolutionUnit::Inch, Compression::G3OneD,
         Photometric::MinIsWhite, 256, 201, 256},
        {"superfine", 1728, 4400, 204, 391, ResolutionUnit::Inch, Compression::G4,
         Photometric::MinIsWhite, 256, 201, 256},
        {"standard, per centimetre", 1728, 1100, 80.315, 38.583, ResolutionUnit::Centimetre,
         Compression::G3TwoD, Photometric::MinIsWhite, 256, 201, 256},
        {"short standard page", 1728, 600, 204, 98, ResolutionUnit::Inch, Compression::G4,
         Photometric::MinIsWhite, 256, 256, 178},
        {"min-is-black", 1728, 2200, 204, 196, ResolutionUnit::Inch, Compression::None,
         Photometric::MinIsBlack, 128, 101, 128},
        {"small page", 60, 40, 200, 200, ResolutionUnit::Inch, Compression::PackBits,
         Photometric::MinIsWhite, 256, 60, 40},
    };
    TempDir dir;
    for (const Row &row : rows) {
        const std::string input = dir.file("in.tif");
        const std::string output = dir.file("out.png");
        FaxTiffOptions options;
        options.compression = row.compression;
        options.photometric = row.photometric;
        ASSERT_TRUE(writeFaxTiff(
            input,
            {{bandedPage(row.width, row.height), row.xResolution, row.yResolution, row.unit}},
            options));
        const ThumbnailRun run = thumbnail(input, output, std::to_string(row.size));
        ASSERT_EQ(run.status, 0) << row.what << run.errors;
        QImage image(QString::fromStdString(output), "PNG");
        ASSERT_FALSE(image.isNull()) << row.what;
        EXPECT_EQ(image.width(), row.expectedWidth) << row.what;
        EXPECT_EQ(image.height(), row.expectedHeight) << row.what;
        const int bandRows = image.height() / 10;
        EXPECT_LT(meanLevel(image, 0, bandRows - 1), 40) << row.what;
        EXPECT_GT(meanLevel(image, bandRows + 2, image.height()), 250) << row.what;
        fs::remove(output);
    }
}

TEST(Thumbnailer, TakesAFileUriAsWellAsAPath)
{
    TempDir dir;
    const std::string input = dir.file("a fax.tif");
    ASSERT_TRUE(writeFaxTiff(input, {{bandedPage(1728, 1100), 204, 98}}));
    const ThumbnailRun run =
        thumbnail("file://" + dir.path() + "/a%20fax.tif", dir.file("out.png"));
    ASSERT_EQ(run.status, 0) << run.errors;
    EXPECT_EQ(QImage(QString::fromStdString(dir.file("out.png"))).size(), QSize(201, 256));
}

TEST(Thumbnailer, ReadsPage1OfA65535PageFax)
{
    TempDir dir;
    const std::string input = dir.file("long.tif");
    ASSERT_TRUE(writeLongFax(
        input, 65535, {{bandedPage(1728, 1100), 204, 98}, {BilevelImage(1728, 2200), 204, 196}}));
    const ThumbnailRun run = thumbnail(input, dir.file("out.png"));
    ASSERT_EQ(run.status, 0) << run.errors;
    const QImage image(QString::fromStdString(dir.file("out.png")));
    EXPECT_EQ(image.size(), QSize(201, 256));
    EXPECT_LT(meanLevel(image, 0, 20), 40);
}

TEST(Thumbnailer, UnreadableFilesLeaveNoOutputAndOneLineSayingWhy)
{
    TempDir in;
    const BilevelImage page = bandedPage(1728, 2200);
    FaxTiffOptions lzw;
    lzw.compression = Compression::Lzw;
    ASSERT_TRUE(writeFaxTiff(in.file("lzw.tif"), page, lzw));
    ASSERT_TRUE(writeRefusedTiff(in.file("grey8.tif"), RefusedPage::Grey8));
    ASSERT_TRUE(writeFaxTiff(in.file("whole.tif"), page));
    const auto bytes = fs::file_size(in.file("whole.tif"));
    fs::copy_file(in.file("whole.tif"), in.file("truncated.tif"));
    fs::resize_file(in.file("truncated.tif"), bytes / 2);
    in.write("text.tif", "not a fax\n");
    in.write("empty.tif", "");
    fs::create_directory(in.file("folder.tif"));

    for (const char *name : {"lzw.tif", "grey8.tif", "truncated.tif", "text.tif", "empty.tif",
                             "folder.tif", "missing.tif"}) {
        TempDir out;
        const std::string input = in.file(name);
        expectRefused(thumbnail(input, out.file("out.png")), input, out, name);
    }
    // An output the thumbnailer cannot write is refused the same way.
    TempDir out;
    const ThumbnailRun run = thumbnail(in.file("whole.tif"), out.file("no-such-folder/out.png"));
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(std::count(run.errors.begin(), run.errors.end(), '\n'), 1) << run.errors;
    EXPECT_TRUE(fs::is_empty(out.path()));
}

TEST(Thumbnailer, HostileFilesGiveAPictureOrARefusalNeverACrashOrAPartialFile)
{
    // The fuzzer's findings, the real-world faxes, every compression and layout the
    // fixture writer knows, and one fax cut short at many points.
    TempDir made;
    std::vector<std::string> inputs;
    for (const char *folder : {PAGELOT_FUZZ_FINDINGS_DIR, PAGELOT_REALWORLD_DIR})
        for (const auto &entry : fs::directory_iterator(folder))
            if (entry.path().extension() == ".tif")
                inputs.push_back(entry.path().string());
    const BilevelImage pattern = makePatternImage(61, 23, 7);
    for (Compression compression : allCompressions()) {
        FaxTiffOptions options;
        options.compression = compression;
        options.rowsPerStrip = 5;
        options.fillOrder = 2;
        options.orientation = 4;
        options.photometric = Photometric::Absent;
        options.bigEndian = true;
        const std::string path = made.file(std::string(compressionName(compression)) + ".tif");
        ASSERT_TRUE(writeFaxTiff(path, pattern, options));
        inputs.push_back(path);
    }
    ASSERT_TRUE(writeFaxTiff(made.file("text.tif"), makeTextPage(1728, 1100), {}));
    const auto bytes = fs::file_size(made.file("text.tif"));
    for (std::uintmax_t cut = 8; cut < bytes; cut += bytes / 23) {
        const std::string path = made.file("cut-" + std::to_string(cut) + ".tif");
        fs::copy_file(made.file("text.tif"), path);
        fs::resize_file(path, cut);
        inputs.push_back(path);
    }

    int pictures = 0;
    for (const std::string &input : inputs) {
        TempDir out;
        const ThumbnailRun run = thumbnail(input, out.file("out.png"));
        if (run.status == 0) {
            const QImage image(QString::fromStdString(out.file("out.png")), "PNG");
            EXPECT_FALSE(image.isNull()) << input;
            EXPECT_GT(std::min(image.width(), image.height()), 0) << input;
            EXPECT_LE(std::max(image.width(), image.height()), 256) << input;
            ++pictures;
        } else {
            expectRefused(run, input, out, input);
        }
    }
    EXPECT_GT(pictures, 10);
}
