#include "DocumentTestFixture.h"

#include "document/FaxFolder.h"
#include "framework/FilePath.h"
#include "imaging/DataSource.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTimer>

#include <cstdio>
#include <functional>

using namespace fixtures;

namespace {

// Sets the modification time to the local time "YYYY-MM-DDTHH:MM:SS".
void setModified(const std::string &path, const char *modified)
{
    const QDateTime when = QDateTime::fromString(QString::fromLatin1(modified), Qt::ISODate);
    ASSERT_TRUE(when.isValid());
    QFile file(qpath(path));
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    ASSERT_TRUE(file.setFileTime(when, QFileDevice::FileModificationTime));
}

// A one-page fax with the DateTime given (none when empty), modified when given.
void writeFax(TempDir &folder, const std::string &name, const std::string &dateTime,
              const char *modified, std::uint32_t seed = 1)
{
    FaxPage page{makePatternImage(200 + seed, 260, seed)};
    page.tags.dateTime = dateTime;
    const std::string path = folder.file(name);
    ASSERT_TRUE(writeFaxTiff(path, {page}));
    setModified(path, modified);
}

QStringList namesOf(const std::vector<FolderFax> &faxes)
{
    QStringList names;
    for (const FolderFax &fax : faxes)
        names << fax.name;
    return names;
}

// The source reads this thread made since start.
std::uint64_t readsSince(const SourceReadTally &start)
{
    return sourceReadTally().reads - start.reads;
}

// Runs the event loop until the condition holds; false if it never does. The deadline
// only keeps a broken build from hanging.
bool waitFor(const std::function<bool()> &condition)
{
    const QDeadlineTimer deadline(60000);
    QTimer wake;
    wake.start(50);
    while (!condition()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    return true;
}

class FaxFolder : public DocumentTest
{
protected:
    bool Enabled(UINT nID) { return Update(nID).m_bEnabled; }
    CString ShownName() const { return QFileInfo(m_pDoc->GetPath()).fileName(); }
};

} // namespace

TEST(FaxDateTime, ReadsBothFormsAndRefusesAnythingElse)
{
    const struct
    {
        const char *text;
        const char *want; // ISO form, or null when refused
    } rows[] = {
        {"2026:12:08 09:14:05", "2026-12-08T09:14:05"},
        {"2026/12/08 09:14:05", "2026-12-08T09:14:05"},
        {"2024:02:29 23:59:59 ", "2024-02-29T23:59:59"},
        {"2026:02:29 10:00:00", nullptr},
        {"2026:13:01 10:00:00", nullptr},
        {"2026:12:08 24:00:00", nullptr},
        {"2026:12/08 09:14:05", nullptr},
        {"2026-12-08 09:14:05", nullptr},
        {"2026:12:08 09:14", nullptr},
        {"2026:12:08 09:14:05x", nullptr},
        {"    :  :     :  :  ", nullptr},
        {"0000:00:00 00:00:00", nullptr},
        {"", nullptr},
    };
    for (const auto &row : rows) {
        const QDateTime parsed = ParseFaxDateTime(row.text);
        if (row.want)
            EXPECT_EQ(parsed.toString(Qt::ISODate), QString::fromLatin1(row.want)) << row.text;
        else
            EXPECT_FALSE(parsed.isValid()) << row.text;
    }
    EXPECT_FALSE(ParseFaxDateTime(nullptr).isValid());
}

// Received order: the first page's date in either form, else the modification time; ties
// by name. Only .tif and .tiff files, in any case, are faxes.
TEST(FaxFolderListing, OrdersByDateTimeThenModificationTimeThenName)
{
    TempDir folder;
    writeFax(folder, "a.tif", "2026:12:08 09:00:00", "2026-12-08T07:00:00");
    writeFax(folder, "b.TIFF", "2026/12/08 08:00:00", "2026-12-08T11:00:00");
    writeFax(folder, "c.tif", "", "2026-12-08T08:30:00");
    writeFax(folder, "d.Tif", "2026:02:30 10:00:00", "2026-12-08T10:00:00");
    writeFax(folder, "tie1.tif", "2026:12:08 09:15:00", "2026-12-08T06:00:00");
    writeFax(folder, "tie0.tif", "2026:12:08 09:15:00", "2026-12-08T12:00:00");
    writeFax(folder, "e.tif", "", "2026-12-08T09:15:00");
    writeFax(folder, "old.tif.bak", "2026:12:08 09:30:00", "2026-12-08T09:30:00");
    folder.write("note.txt", "not a fax");
    ASSERT_TRUE(QDir().mkpath(qpath(folder.file("folder.tif"))));
    const std::vector<FolderFax> faxes = ListFaxFolder(qpath(folder.path()));
    EXPECT_EQ(namesOf(faxes).join(u' ').toStdString(),
              "b.TIFF c.tif a.tif e.tif tie0.tif tie1.tif d.Tif");
}

// A folder listed again reads the tags only of files new or changed since: an unchanged
// one opens no file, while a file replaced under its name (same size, same modification
// time, another date) is read again and takes its new place. Only listed files are kept.
TEST(FaxFolderListing, ListsAnUnchangedFolderAgainWithoutReadingAFile)
{
    TempDir folder;
    writeFax(folder, "a.tif", "2026:12:08 08:00:00", "2026-12-08T12:00:00", 1);
    writeFax(folder, "b.tif", "2026:12:08 09:00:00", "2026-12-08T12:00:00", 2);
    writeFax(folder, "c.tif", "2026:12:08 10:00:00", "2026-12-08T12:00:00", 3);
    const CString where = qpath(folder.path());
    CReceivedTimes times;
    SourceReadTally start = sourceReadTally();
    EXPECT_EQ(namesOf(ListFaxFolder(where, &times)).join(u' '),
              QStringLiteral("a.tif b.tif c.tif"));
    EXPECT_GT(readsSince(start), 0u);
    EXPECT_EQ(times.Size(), 3u);

    start = sourceReadTally();
    EXPECT_EQ(namesOf(ListFaxFolder(where, &times)).join(u' '),
              QStringLiteral("a.tif b.tif c.tif"));
    EXPECT_EQ(readsSince(start), 0u);

    // Written beside it and renamed over it, as fax servers do.
    const qint64 size = QFileInfo(qpath(folder.file("b.tif"))).size();
    writeFax(folder, "b.new", "2026:12:08 07:00:00", "2026-12-08T12:00:00", 2);
    ASSERT_EQ(std::rename(folder.file("b.new").c_str(), folder.file("b.tif").c_str()), 0);
    ASSERT_EQ(QFileInfo(qpath(folder.file("b.tif"))).size(), size);
    start = sourceReadTally();
    FolderFaxOf(qpath(folder.file("b.tif")));
    const std::uint64_t oneFile = readsSince(start);
    start = sourceReadTally();
    EXPECT_EQ(namesOf(ListFaxFolder(where, &times)).join(u' '),
              QStringLiteral("b.tif a.tif c.tif"));
    EXPECT_EQ(readsSince(start), oneFile);

    ASSERT_TRUE(QFile::remove(qpath(folder.file("a.tif"))));
    EXPECT_EQ(namesOf(ListFaxFolder(where, &times)).join(u' '), QStringLiteral("b.tif c.tif"));
    EXPECT_EQ(times.Size(), 2u);
}

// Whether there is a next or previous fax comes from a listing on the worker: disabled
// until it is in, right once it is, and listed again when the folder changes, without the
// user-interface thread opening a file of the folder.
TEST_F(FaxFolder, EnablingComesFromTheWorkerAndFollowsTheFolder)
{
    TempDir folder;
    writeFax(folder, "1.tif", "2026:12:08 08:00:00", "2026-12-08T12:00:00", 1);
    writeFax(folder, "2.tif", "2026:12:08 09:00:00", "2026-12-08T12:00:00", 2);
    writeFax(folder, "3.tif", "2026:12:08 10:00:00", "2026-12-08T12:00:00", 3);
    Open(folder.file("2.tif"));
    // The listing's result comes through the event loop, which has not run yet.
    EXPECT_FALSE(Enabled(ID_FAX_NEXT_IN_FOLDER));
    EXPECT_FALSE(Enabled(ID_FAX_PREVIOUS_IN_FOLDER));
    SourceReadTally start = sourceReadTally();
    ASSERT_TRUE(waitFor(
        [&] { return Enabled(ID_FAX_NEXT_IN_FOLDER) && Enabled(ID_FAX_PREVIOUS_IN_FOLDER); }));
    EXPECT_EQ(readsSince(start), 0u);

    // Same folder: the last listing answers at once.
    Open(folder.file("3.tif"));
    EXPECT_FALSE(Enabled(ID_FAX_NEXT_IN_FOLDER));
    EXPECT_TRUE(Enabled(ID_FAX_PREVIOUS_IN_FOLDER));
    start = sourceReadTally();
    writeFax(folder, "4.tif", "2026:12:08 11:00:00", "2026-12-08T12:00:00", 4);
    const std::uint64_t written = readsSince(start);
    ASSERT_TRUE(waitFor([&] { return Enabled(ID_FAX_NEXT_IN_FOLDER); }));
    EXPECT_EQ(readsSince(start), written);
    Command(ID_FAX_NEXT_IN_FOLDER);
    EXPECT_EQ(ShownName(), QStringLiteral("4.tif"));
    EXPECT_FALSE(Enabled(ID_FAX_NEXT_IN_FOLDER));
}

// The folder is listed again on each step: a fax that arrived in between is found, one
// removed is skipped, one that cannot be opened shows its error and the next step goes
// on past it; at the ends the steps are disabled.
TEST_F(FaxFolder, StepsThroughTheFolderAsItChanges)
{
    TempDir folder;
    writeFax(folder, "1.tif", "2026:12:08 08:00:00", "2026-12-08T12:00:00", 1);
    writeFax(folder, "2.tif", "2026:12:08 09:00:00", "2026-12-08T12:00:00", 2);
    writeFax(folder, "3.tif", "2026:12:08 10:00:00", "2026-12-08T12:00:00", 3);
    writeFax(folder, "4.tif", "2026:12:08 11:00:00", "2026-12-08T12:00:00", 4);
    EXPECT_FALSE(Enabled(ID_FAX_NEXT_IN_FOLDER));
    EXPECT_FALSE(Enabled(ID_FAX_PREVIOUS_IN_FOLDER));

    Open(folder.file("2.tif"));
    Command(ID_ZOOM_ACTUALSIZE);
    Command(ID_ROTATE_LEFT);
    EXPECT_TRUE(waitFor([&] { return Enabled(ID_FAX_PREVIOUS_IN_FOLDER); }));
    writeFax(folder, "2b.tif", "2026/12/08 09:30:00", "2026-12-08T12:00:00", 5);
    Command(ID_FAX_NEXT_IN_FOLDER);
    EXPECT_EQ(ShownName(), QStringLiteral("2b.tif"));
    EXPECT_EQ(m_pDoc->GetTitle(), QStringLiteral("2b.tif"));
    EXPECT_EQ(m_pDoc->GetZoomMode(), ZoomMode::ActualSize);
    EXPECT_EQ(m_pDoc->GetRotation(), Rotation::None);
    EXPECT_EQ(imageOf(m_pDoc->GetDisplayPage()), imageOf(m_pDoc->GetSourcePage()));
    EXPECT_EQ(m_pDoc->GetSourcePage().m_size, CSize(205, 260));

    ASSERT_TRUE(QFile::remove(qpath(folder.file("3.tif"))));
    // Undated, so placed by its modification time, between 2b.tif and 4.tif.
    folder.write("3a.tif", "line noise, not a fax");
    setModified(folder.file("3a.tif"), "2026-12-08T10:30:00");
    Command(ID_FAX_NEXT_IN_FOLDER);
    ASSERT_EQ(m_messages.size(), 1u);
    EXPECT_TRUE(m_messages[0].text.contains(QStringLiteral("3a.tif")));
    EXPECT_EQ(ShownName(), QStringLiteral("2b.tif"));
    Command(ID_FAX_NEXT_IN_FOLDER);
    EXPECT_EQ(ShownName(), QStringLiteral("4.tif"));
    EXPECT_FALSE(Enabled(ID_FAX_NEXT_IN_FOLDER));
    Command(ID_FAX_NEXT_IN_FOLDER);
    EXPECT_EQ(ShownName(), QStringLiteral("4.tif"));
    EXPECT_EQ(m_messages.size(), 1u);

    Command(ID_FAX_PREVIOUS_IN_FOLDER);
    EXPECT_EQ(m_messages.size(), 2u);
    EXPECT_EQ(ShownName(), QStringLiteral("4.tif"));
    for (const char *name : {"2b.tif", "2.tif", "1.tif"}) {
        Command(ID_FAX_PREVIOUS_IN_FOLDER);
        EXPECT_EQ(ShownName(), QString::fromLatin1(name));
    }
    EXPECT_FALSE(Enabled(ID_FAX_PREVIOUS_IN_FOLDER));
    EXPECT_TRUE(Enabled(ID_FAX_NEXT_IN_FOLDER));
    EXPECT_EQ(m_messages.size(), 2u);
}

// A name whose bytes are not UTF-8 opens as given on the command line and from the
// folder listing: the bytes reach open() unchanged; the title shows U+FFFD for them.
TEST_F(FaxFolder, OpensAndStepsToANameThatIsNotUtf8)
{
    TempDir folder;
    writeFax(folder, "a.tif", "2026:12:08 08:00:00", "2026-12-08T12:00:00", 1);
    const std::string bytes = folder.path() + "/fax-\xe9.tif";
    FaxPage page{makePatternImage(230, 260, 7)};
    page.tags.dateTime = "2026:12:08 09:00:00";
    ASSERT_TRUE(writeFaxTiff(bytes, {page}));
    writeFax(folder, "z.tif", "2026:12:08 10:00:00", "2026-12-08T12:00:00", 3);

    const CString path = PathFromBytes(bytes);
    EXPECT_EQ(PathBytes(path).toStdString(), bytes);
    // As the document template opens the command line's file.
    ASSERT_TRUE(m_pDoc->OnOpenDocument(path));
    m_pDoc->SetPathName(path);
    EXPECT_TRUE(m_messages.empty()) << m_messages.front().text.toStdString();
    EXPECT_EQ(m_pDoc->GetPath(), path);
    EXPECT_EQ(m_pDoc->GetTitle(), QStringLiteral("fax-\uFFFD.tif"));
    EXPECT_EQ(m_pDoc->GetSourcePage().m_size, CSize(230, 260));
    EXPECT_FALSE(m_pDoc->HasFileChanged());

    Command(ID_FAX_NEXT_IN_FOLDER);
    EXPECT_EQ(ShownName(), QStringLiteral("z.tif"));
    Command(ID_FAX_PREVIOUS_IN_FOLDER);
    EXPECT_TRUE(m_messages.empty()) << m_messages.front().text.toStdString();
    EXPECT_EQ(PathBytes(m_pDoc->GetPath()).toStdString(), bytes);
    EXPECT_EQ(m_pDoc->GetTitle(), QStringLiteral("fax-\uFFFD.tif"));
    EXPECT_EQ(m_pDoc->GetSourcePage().m_size, CSize(230, 260));
    Command(ID_FAX_PREVIOUS_IN_FOLDER);
    EXPECT_EQ(ShownName(), QStringLiteral("a.tif"));
}
