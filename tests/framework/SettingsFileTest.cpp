#include "framework/WinApp.h"
#include "tools/fixtures/TempDir.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <functional>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace {

const QString SECTION = QStringLiteral("Settings");
const QString ENTRY = QStringLiteral("EnableTips");

QString qpath(const std::string &path) { return QString::fromStdString(path); }

mode_t fileType(const std::string &path)
{
    struct stat info = {};
    return ::lstat(path.c_str(), &info) == 0 ? info.st_mode & S_IFMT : 0;
}

std::string readAll(const std::string &path)
{
    QFile file(qpath(path));
    return file.open(QIODevice::ReadOnly) ? file.readAll().toStdString() : std::string("(none)");
}

// Everything under the folder, with each file's type and contents, to show that
// nothing there changed.
std::string snapshot(const std::string &folder)
{
    std::string all;
    for (const QFileInfo &entry :
         QDir(qpath(folder))
             .entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System, QDir::Name)) {
        const std::string path = entry.absoluteFilePath().toStdString();
        all += path + " " + std::to_string(fileType(path)) + "\n";
        if (fileType(path) == S_IFREG)
            all += readAll(path) + "\n";
    }
    return all;
}

struct ProfileReset
{
    ~ProfileReset() { CWinApp::SetProfileFileForTesting({}); }
};

} // namespace

// The settings are read once and written once: changes on either side in between
// are not seen.
TEST(SettingsFile, ReadOnceAndWrittenOnlyWhenSaved)
{
    ProfileReset reset;
    TempDir folder;
    const std::string ini = folder.write("profile.ini", "[Settings]\nEnableTips=0\n");
    CWinApp::SetProfileFileForTesting(qpath(ini));
    CWinApp app;
    EXPECT_EQ(app.GetProfileInt(SECTION, ENTRY, 1), 0u);
    folder.write("profile.ini", "[Settings]\nEnableTips=5\n");
    EXPECT_EQ(app.GetProfileInt(SECTION, ENTRY, 1), 0u);

    app.WriteProfileInt(SECTION, ENTRY, 3);
    EXPECT_EQ(app.GetProfileInt(SECTION, ENTRY, 1), 3u);
    EXPECT_EQ(readAll(ini), "[Settings]\nEnableTips=5\n");
    EXPECT_EQ(app.ExitInstance(), 0);
    EXPECT_EQ(readAll(ini), "[Settings]\nEnableTips=3\n");
    EXPECT_EQ(fileType(ini), mode_t(S_IFREG));
}

// Whatever stands at the settings path, start-up reads defaults without blocking,
// and saving never writes through it: a FIFO, device or folder stays as it is, a
// symbolic link is replaced by a regular file and its target is left alone. Nothing
// outside the settings folder is written.
TEST(SettingsFile, HostilePathsGiveDefaultsAndAreNeverWrittenThrough)
{
    struct Row
    {
        const char *what;
        // Makes the settings path in `settings`; `outside` is a folder beside it.
        std::function<void(const std::string &path, const std::string &outside)> make;
        bool replaced; // saving leaves a regular file at the path
    };
    const std::string junkLine = "[Settings]\nEnableTips=0\n";
    const Row rows[] = {
        {"fifo",
         [](const std::string &path, const std::string &) {
             ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
         },
         false},
        {"folder",
         [](const std::string &path, const std::string &) {
             ASSERT_TRUE(QDir().mkdir(qpath(path)));
         },
         false},
        {"link to a fifo",
         [](const std::string &path, const std::string &outside) {
             const std::string fifo = outside + "/fifo";
             ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
             ASSERT_EQ(::symlink(fifo.c_str(), path.c_str()), 0);
         },
         true},
        {"link to a folder",
         [](const std::string &path, const std::string &outside) {
             ASSERT_EQ(::symlink(outside.c_str(), path.c_str()), 0);
         },
         true},
        {"link to a file outside",
         [](const std::string &path, const std::string &outside) {
             const std::string target = outside + "/precious";
             QFile file(qpath(target));
             ASSERT_TRUE(file.open(QIODevice::WriteOnly));
             file.write("[Settings]\nEnableTips=1\n");
             file.close();
             ASSERT_EQ(::symlink(target.c_str(), path.c_str()), 0);
         },
         true},
        {"50 MB starting with settings",
         [&](const std::string &path, const std::string &) {
             QFile file(qpath(path));
             ASSERT_TRUE(file.open(QIODevice::WriteOnly));
             file.write(junkLine.c_str());
             ASSERT_TRUE(file.resize(50 << 20));
         },
         true},
        {"malformed",
         [](const std::string &path, const std::string &) {
             QFile file(qpath(path));
             ASSERT_TRUE(file.open(QIODevice::WriteOnly));
             file.write("[Settings]\nEnableTips=0\n[Broken\n");
         },
         true},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.what);
        ProfileReset reset;
        TempDir root;
        const std::string settings = root.file("settings");
        const std::string outside = root.file("outside");
        ASSERT_TRUE(QDir().mkdir(qpath(settings)));
        ASSERT_TRUE(QDir().mkdir(qpath(outside)));
        const std::string path = settings + "/profile.ini";
        row.make(path, outside);
        const mode_t before = fileType(path);
        const std::string outsideBefore = snapshot(outside);
        CWinApp::SetProfileFileForTesting(qpath(path));
        {
            CWinApp app;
            EXPECT_EQ(app.GetProfileInt(SECTION, ENTRY, 1), 1u);
            app.WriteProfileInt(SECTION, ENTRY, 7);
            EXPECT_EQ(app.SaveProfile() != FALSE, row.replaced);
        }
        EXPECT_EQ(snapshot(outside), outsideBefore);
        if (row.replaced) {
            EXPECT_EQ(fileType(path), mode_t(S_IFREG));
            // Read as text: QSettings keeps parsed files by path, size and time stamp, and
            // the file it read at start-up has the same size and at times the same stamp.
            EXPECT_NE(readAll(path).find("EnableTips=7"), std::string::npos);
        } else {
            EXPECT_EQ(fileType(path), before);
        }
        // Nothing else is left in the settings folder: no temporary or lock file.
        EXPECT_EQ(
            QDir(qpath(settings))
                .entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System),
            QStringList{QStringLiteral("profile.ini")});
    }
}

TEST(SettingsFile, DeviceNodeIsNeitherReadNorWritten)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "making a device node needs root";
    ProfileReset reset;
    TempDir folder;
    const std::string path = folder.file("profile.ini");
    // The null device: reading it would end at once, but a tape or terminal would not.
    ASSERT_EQ(::mknod(path.c_str(), S_IFCHR | 0600, makedev(1, 3)), 0);
    CWinApp::SetProfileFileForTesting(qpath(path));
    CWinApp app;
    EXPECT_EQ(app.GetProfileInt(SECTION, ENTRY, 1), 1u);
    app.WriteProfileInt(SECTION, ENTRY, 0);
    EXPECT_FALSE(app.SaveProfile());
    EXPECT_EQ(fileType(path), mode_t(S_IFCHR));
}
