// The page thumbnails panel: shown from the View menu and kept with the bar layout,
// following the document's page, going to the page clicked, and never showing a
// thumbnail of another file.

#include "tests/app/AppTestFixture.h"
#include "tests/app/PaintRecorder.h"

#include "display/ImagingErrorText.h"
#include "document/PagelotDoc.h"
#include "framework/CmdUI.h"
#include "resources/Resource.h"
#include "tests/support/RawTiffBuilder.h"
#include "tools/fixtures/FixtureWriter.h"
#include "view/PagelotView.h"
#include "view/ThumbnailPanel.h"
#include "view/ThumbnailRenderer.h"

#include <QAction>
#include <QApplication>
#include <QListView>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QTest>
#include <QThread>
#include <tiffio.h>

#include <chrono>
#include <fstream>
#include <functional>
#include <map>
#include <numeric>

namespace {

// Runs the event loop until the condition holds; false if it never does. The
// deadline only keeps a broken build from hanging.
bool waitFor(const std::function<bool()> &condition)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        QApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(2);
    }
    return true;
}

bool allVisibleKnown(CThumbnailPanel *pPanel)
{
    QListView *pList = pPanel->GetList();
    const QRect area = pList->viewport()->rect();
    for (int row = 0; row < pPanel->GetModel()->rowCount(); ++row) {
        if (pList->visualRect(pPanel->GetModel()->index(row)).intersects(area)
            && !pPanel->GetModel()->IsKnown(row))
            return false;
    }
    return true;
}

QImage thumbnailOf(CThumbnailPanel *pPanel, int row)
{
    return pPanel->GetModel()
        ->data(pPanel->GetModel()->index(row), Qt::DecorationRole)
        .value<QImage>();
}

void clickRow(CThumbnailPanel *pPanel, int row)
{
    QListView *pList = pPanel->GetList();
    const QModelIndex index = pPanel->GetModel()->index(row);
    pList->scrollTo(index);
    const QPointF at = pList->visualRect(index).center();
    const QPointF global = pList->viewport()->mapToGlobal(at);
    QMouseEvent press(QEvent::MouseButtonPress, at, global, Qt::LeftButton, Qt::LeftButton, {});
    QMouseEvent release(QEvent::MouseButtonRelease, at, global, Qt::LeftButton, {}, {});
    QApplication::sendEvent(pList->viewport(), &press);
    QApplication::sendEvent(pList->viewport(), &release);
}

class ThumbnailTest : public AppTest
{
protected:
    CThumbnailPanel *ShowPanel()
    {
        Action(ID_VIEW_THUMBNAILS)->trigger();
        CThumbnailPanel *pPanel = Frame()->GetThumbnailPanel();
        EXPECT_TRUE(pPanel->isVisible());
        return pPanel;
    }

    // Pages all black or all white, 1728 pixels wide and `height` high (1000 if 0).
    std::string WriteFax(const std::string &name, int pages, std::uint32_t height, bool black) const
    {
        height = height ? height : 1000;
        std::vector<fixtures::FaxPage> faxPages;
        for (int i = 0; i < pages; ++i) {
            fixtures::FaxPage page{fixtures::BilevelImage(1728, height), 204, 196};
            if (black)
                page.image.fillRect(0, 0, 1728, height);
            faxPages.push_back(page);
        }
        const std::string path = m_dir.file(name);
        EXPECT_TRUE(fixtures::writeFaxTiff(path, faxPages));
        return path;
    }
    using AppTest::WriteFax;
};

} // namespace

TEST_F(ThumbnailTest, OffByDefaultToggledFromTheViewMenuAndKeptWithTheBarLayout)
{
    ASSERT_NE(Start({QString::fromStdString(WriteFax("fax.tif", 3))}), nullptr);
    CThumbnailPanel *pPanel = Frame()->GetThumbnailPanel();
    ASSERT_NE(pPanel, nullptr);
    EXPECT_FALSE(pPanel->isVisible());
    UpdateAllCommands();
    EXPECT_FALSE(Action(ID_VIEW_THUMBNAILS)->isChecked());

    ShowPanel();
    UpdateAllCommands();
    EXPECT_TRUE(Action(ID_VIEW_THUMBNAILS)->isChecked());
    Frame()->addDockWidget(Qt::RightDockWidgetArea, pPanel);
    Close();

    ASSERT_NE(Start(), nullptr);
    pPanel = Frame()->GetThumbnailPanel();
    EXPECT_TRUE(pPanel->isVisible());
    EXPECT_EQ(Frame()->dockWidgetArea(pPanel), Qt::RightDockWidgetArea);
    Action(ID_VIEW_THUMBNAILS)->trigger();
    EXPECT_FALSE(pPanel->isVisible());
    Close();
    ASSERT_NE(Start(), nullptr);
    EXPECT_FALSE(Frame()->GetThumbnailPanel()->isVisible());
}

TEST_F(ThumbnailTest, ClickGoesToThePageAndTheHighlightFollowsPageCommands)
{
    ASSERT_NE(Start({QString::fromStdString(WriteFax("fax.tif", 12, 900))}), nullptr);
    CThumbnailPanel *pPanel = ShowPanel();
    ASSERT_EQ(pPanel->GetModel()->rowCount(), 12);
    EXPECT_EQ(pPanel->GetList()->currentIndex().row(), 0);

    Action(ID_ROTATE_UPSIDEDOWN)->trigger();
    // A real press gives the list the focus before the click; the click hands the keys
    // back to the page, to read on from there.
    pPanel->GetList()->setFocus(Qt::MouseFocusReason);
    ASSERT_EQ(Frame()->focusWidget(), pPanel->GetList());
    clickRow(pPanel, 9);
    EXPECT_EQ(Document()->GetCurrentPage(), 9);
    EXPECT_EQ(Frame()->focusWidget(), View());
    EXPECT_TRUE(Document()->IsUpsideDown());
    EXPECT_EQ(Document()->GetRotation(), Rotation::UpsideDown);

    struct Step
    {
        UINT nID;
        int page;
    };
    for (const Step step : {Step{ID_PAGE_FIRST, 0}, Step{ID_PAGE_NEXT, 1}, Step{ID_PAGE_LAST, 11},
                            Step{ID_PAGE_PREVIOUS, 10}}) {
        UpdateAllCommands();
        Action(step.nID)->trigger();
        QApplication::processEvents();
        ASSERT_EQ(Document()->GetCurrentPage(), step.page);
        const QModelIndex current = pPanel->GetList()->currentIndex();
        EXPECT_EQ(current.row(), step.page);
        EXPECT_TRUE(pPanel->GetList()->selectionModel()->isSelected(current));
        EXPECT_TRUE(
            pPanel->GetList()->viewport()->rect().contains(pPanel->GetList()->visualRect(current)))
            << step.page;
    }
}

// Where a real key press lands: the focus widget of the active window, else the window.
void pressKey(QWidget *pWindow, Qt::Key key)
{
    QWidget *pTarget = QApplication::focusWidget();
    QTest::keyClick(pTarget ? pTarget : pWindow, key);
    QApplication::processEvents();
}

// Presses the scroll bar's handle, drags it down by `distance` and lets go, as a mouse does.
void dragHandle(QScrollBar *pBar, int distance)
{
    QStyleOptionSlider option;
    option.initFrom(pBar);
    option.subControls = QStyle::SC_All;
    option.orientation = pBar->orientation();
    option.minimum = pBar->minimum();
    option.maximum = pBar->maximum();
    option.sliderPosition = pBar->sliderPosition();
    option.sliderValue = pBar->value();
    option.singleStep = pBar->singleStep();
    option.pageStep = pBar->pageStep();
    const QPoint handle =
        pBar->style()
            ->subControlRect(QStyle::CC_ScrollBar, &option, QStyle::SC_ScrollBarSlider, pBar)
            .center();
    QTest::mousePress(pBar, Qt::LeftButton, {}, handle);
    for (int step = 1; step <= 4; ++step)
        QTest::mouseMove(pBar, handle + QPoint(0, distance * step / 4));
    QTest::mouseRelease(pBar, Qt::LeftButton, {}, handle + QPoint(0, distance));
    QApplication::processEvents();
}

TEST_F(ThumbnailTest, TheReadingKeysStayWithThePageAfterTheScrollBarIsDraggedOrAThumbnailClicked)
{
    ASSERT_NE(Start({QString::fromStdString(WriteFax("fax.tif", 40, 900))}), nullptr);
    Frame()->resize(900, 700);
    CThumbnailPanel *pPanel = ShowPanel();
    Frame()->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(Frame()));
    View()->setFocus(Qt::OtherFocusReason);
    QListView *pList = pPanel->GetList();
    QScrollBar *pBar = pList->verticalScrollBar();
    ASSERT_GT(pBar->maximum(), 0);

    // The page fits the window, so Space and Page Down turn it as N does.
    int page = Document()->GetCurrentPage();
    auto readOn = [&](const char *after) {
        for (const Qt::Key key : {Qt::Key_N, Qt::Key_Space, Qt::Key_PageDown}) {
            pressKey(Frame(), key);
            EXPECT_EQ(Document()->GetCurrentPage(), ++page) << after << ", key " << key;
            page = Document()->GetCurrentPage();
        }
    };
    const int before = pBar->value();
    dragHandle(pBar, 60);
    ASSERT_GT(pBar->value(), before);
    readOn("after a drag of the scroll bar");

    // A press on the track pages the list; the keys still turn the page.
    QTest::mouseClick(pBar, Qt::LeftButton, {}, QPoint(pBar->width() / 2, pBar->height() - 30));
    readOn("after a click on the scroll bar's track");

    const QModelIndex target = pPanel->GetModel()->index(20);
    pList->scrollTo(target);
    QTest::mouseClick(pList->viewport(), Qt::LeftButton, {}, pList->visualRect(target).center());
    ASSERT_EQ(Document()->GetCurrentPage(), 20);
    page = 20;
    readOn("after a click on a thumbnail");

    // The keyboard still reaches the list.
    pressKey(Frame(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), pList);
    pressKey(Frame(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), View());
}

TEST_F(ThumbnailTest, UnreadablePageShowsAPlaceholderWithTheReasonAndTheRestRender)
{
    const fixtures::BilevelImage good = fixtures::makePatternImage(160, 120, 4);
    fixtures::RawTiffBuilder raw;
    const std::uint32_t data = raw.addData(
        std::string(reinterpret_cast<const char *>(good.rows.data()), good.rows.size()));
    const auto bytes = std::uint32_t(good.rows.size());
    const std::uint32_t dirs[] = {raw.addDirectory(fixtures::RawTiffBuilder::bilevelPage(
                                      160, 120, COMPRESSION_NONE, data, bytes)),
                                  raw.addDirectory(fixtures::RawTiffBuilder::bilevelPage(
                                      160, 120, COMPRESSION_NONE, 1u << 30, bytes)),
                                  raw.addDirectory(fixtures::RawTiffBuilder::bilevelPage(
                                      160, 120, COMPRESSION_NONE, data, bytes))};
    raw.setFirstDirectory(dirs[0]);
    raw.setNextDirectory(dirs[0], dirs[1]);
    raw.setNextDirectory(dirs[1], dirs[2]);
    const std::string path = m_dir.write("mixed.tif", raw.bytes());

    ASSERT_NE(Start({QString::fromStdString(path)}), nullptr);
    CThumbnailPanel *pPanel = ShowPanel();
    ASSERT_EQ(pPanel->GetModel()->rowCount(), 3);
    ASSERT_TRUE(waitFor([&] { return allVisibleKnown(pPanel); }));

    const CThumbnailModel *pModel = pPanel->GetModel();
    EXPECT_EQ(pModel->data(pModel->index(1), Qt::ToolTipRole).toString(),
              ImagingErrorText(IMG_ERR_FILE_READ));
    for (int row : {0, 2}) {
        EXPECT_TRUE(pModel->data(pModel->index(row), Qt::ToolTipRole).toString().isEmpty());
        EXPECT_NE(thumbnailOf(pPanel, row), thumbnailOf(pPanel, 1)) << row;
        EXPECT_EQ(pModel->data(pModel->index(row), Qt::DisplayRole).toString(),
                  QString::number(row + 1));
    }
    EXPECT_EQ(thumbnailOf(pPanel, 0), thumbnailOf(pPanel, 2));
}

// A fax whose cover sheet came through damaged: page 1 is the placeholder with the reason
// the page cannot be read, the pages after it real thumbnails that reach their page.
TEST_F(ThumbnailTest, UnreadableFirstPageIsMarkedAndThePagesAfterItRender)
{
    std::vector<fixtures::FaxPage> pages;
    for (std::uint32_t i = 0; i < 3; ++i)
        pages.push_back(fixtures::FaxPage{fixtures::makePatternImage(320 + 8 * i, 410, i + 1)});
    // Strips the reader refuses.
    pages[0].compression = fixtures::Compression::Lzw;
    const std::string path = m_dir.file("damaged.tif");
    ASSERT_TRUE(fixtures::writeFaxTiff(path, pages));
    CPageBitmap probe;
    const std::uint32_t code = probe.LoadPage(QString::fromStdString(path), 0);
    ASSERT_NE(code, IMG_OK);

    ASSERT_NE(Start({QString::fromStdString(path)}), nullptr);
    ASSERT_EQ(m_messages.size(), 1u);
    CThumbnailPanel *pPanel = ShowPanel();
    ASSERT_EQ(pPanel->GetModel()->rowCount(), 3);
    ASSERT_TRUE(waitFor([&] { return allVisibleKnown(pPanel); }));

    const CThumbnailModel *pModel = pPanel->GetModel();
    EXPECT_EQ(pModel->data(pModel->index(0), Qt::ToolTipRole).toString(), ImagingErrorText(code));
    for (int row : {1, 2}) {
        EXPECT_TRUE(pModel->data(pModel->index(row), Qt::ToolTipRole).toString().isEmpty()) << row;
        EXPECT_NE(thumbnailOf(pPanel, row), thumbnailOf(pPanel, 0)) << row;
    }
    // Each its own page, not one picture for every page that reads.
    EXPECT_NE(thumbnailOf(pPanel, 1), thumbnailOf(pPanel, 2));
    clickRow(pPanel, 1);
    EXPECT_EQ(Document()->GetCurrentPage(), 1);
    EXPECT_NE(Document()->GetDisplayPage().m_pPixels, nullptr);
    EXPECT_EQ(m_messages.size(), 1u);
}

TEST_F(ThumbnailTest, OpeningAnotherFileWhileRenderingLeavesNoThumbnailOfTheFirst)
{
    const std::string white = WriteFax("white.tif", 40, 0, false);
    const std::string black = WriteFax("black.tif", 30, 0, true);
    ASSERT_NE(Start({QString::fromStdString(white)}), nullptr);
    CThumbnailPanel *pPanel = ShowPanel();

    // Every thumbnail, as it arrives, must be of the file open at that moment.
    bool blackOpen = false;
    int arrived = 0;
    int stale = 0;
    QObject::connect(pPanel->GetModel(), &QAbstractItemModel::dataChanged,
                     [&](const QModelIndex &from, const QModelIndex &to) {
                         for (int row = from.row(); row <= to.row(); ++row) {
                             const QImage image = thumbnailOf(pPanel, row);
                             const QPoint centre(image.width() / 2, image.height() / 2);
                             ++arrived;
                             if ((qGray(image.pixel(centre)) < 128) != blackOpen)
                                 ++stale;
                         }
                     });
    // Switch while a page of the other file is being rendered.
    for (int round = 0; round < 7; ++round) {
        const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(25);
        while (std::chrono::steady_clock::now() < until)
            QApplication::processEvents(QEventLoop::AllEvents, 5);
        blackOpen = round % 2 == 0;
        Document()->LoadFaxFile(QString::fromStdString(blackOpen ? black : white), TRUE);
        Document()->RefreshDisplay();
    }
    ASSERT_TRUE(blackOpen);
    ASSERT_EQ(pPanel->GetModel()->rowCount(), 30);
    ASSERT_TRUE(waitFor([&] { return allVisibleKnown(pPanel); }));
    EXPECT_GT(arrived, 0);
    EXPECT_EQ(stale, 0);
    for (int row = 0; row < 30; ++row) {
        if (pPanel->GetModel()->IsKnown(row)) {
            const QImage image = thumbnailOf(pPanel, row);
            EXPECT_LT(qGray(image.pixel(image.width() / 2, image.height() / 2)), 128) << row;
        }
    }
}

TEST_F(ThumbnailTest, AThumbnailArrivingRepaintsOnlyItsOwnEntry)
{
    ASSERT_NE(Start({QString::fromStdString(WriteFax("fax.tif", 12, 900))}), nullptr);
    Frame()->resize(700, 900);
    CThumbnailPanel *pPanel = ShowPanel();
    ASSERT_TRUE(waitFor([&] { return allVisibleKnown(pPanel); }));
    QApplication::processEvents();

    QListView *pList = pPanel->GetList();
    const QRect area = pList->viewport()->rect();
    PaintRecorder recorder;
    pList->viewport()->installEventFilter(&recorder);
    for (int row : {1, 2}) {
        const QRect entry = pList->visualRect(pPanel->GetModel()->index(row));
        ASSERT_TRUE(area.contains(entry)) << row;
        recorder.m_painted = QRegion();
        QImage black(CThumbnailPanel::THUMBNAIL_WIDTH, 100, QImage::Format_Grayscale8);
        black.fill(0);
        pPanel->GetModel()->SetThumbnail(row, black);
        ASSERT_TRUE(waitFor([&] { return !recorder.m_painted.isEmpty(); })) << row;
        QApplication::processEvents();
        // Laying the list out again would repaint every entry in view.
        EXPECT_EQ(recorder.m_painted.subtracted(entry), QRegion()) << row;
        EXPECT_EQ(pList->visualRect(pPanel->GetModel()->index(row)), entry) << row;
    }
    pList->viewport()->removeEventFilter(&recorder);
    EXPECT_LT(qGray(thumbnailOf(pPanel, 2).pixel(CThumbnailPanel::THUMBNAIL_WIDTH / 2,
                                                 CThumbnailPanel::THUMBNAIL_HEIGHT / 2)),
              128);
}

TEST(ThumbnailModel, KeepsAtMostItsCacheBytesWhateverThePageCount)
{
    const CSize box(CThumbnailPanel::THUMBNAIL_WIDTH, CThumbnailPanel::THUMBNAIL_HEIGHT);
    CThumbnailModel model(box);
    constexpr int pages = 3000;
    model.Reset(pages);
    QImage page(box.cx, box.cy, QImage::Format_Grayscale8);
    page.fill(0);
    for (int i = 0; i < pages; ++i)
        model.SetThumbnail(i, page);
    qsizetype bytes = 0;
    int kept = 0;
    for (int i = 0; i < pages; ++i) {
        if (model.IsKnown(i)) {
            ++kept;
            bytes += model.data(model.index(i), Qt::DecorationRole).value<QImage>().sizeInBytes();
        }
    }
    EXPECT_LE(bytes, CThumbnailModel::CACHE_BYTES);
    EXPECT_GT(kept, 100);
    EXPECT_LT(kept, pages);
    EXPECT_TRUE(model.IsKnown(pages - 1));

    model.Reset(5);
    EXPECT_FALSE(model.IsKnown(0));
    EXPECT_EQ(model.rowCount(), 5);
}

TEST(ThumbnailRenderer, DeliversEveryPageOnceAcrossBatchesAndNothingOfAnOlderGeneration)
{
    TempDir dir;
    std::vector<fixtures::FaxPage> pages;
    for (int i = 0; i < 40; ++i)
        pages.push_back(fixtures::FaxPage{fixtures::makePatternImage(200, 100, i % 5), 204, 196});
    const std::string path = dir.file("fax.tif");
    ASSERT_TRUE(fixtures::writeFaxTiff(path, pages));

    QObject receiver;
    std::map<std::uint64_t, std::map<std::int32_t, int>> delivered;
    std::uint64_t current = 0;
    int stale = 0;
    CThumbnailRenderer renderer(
        &receiver,
        [&](std::uint64_t generation, std::int32_t page, const QImage &image, std::uint32_t code) {
            EXPECT_EQ(code, 0u);
            EXPECT_FALSE(image.isNull());
            stale += generation != current ? 1 : 0;
            ++delivered[generation][page];
        },
        CSize(96, 136));
    std::vector<std::int32_t> all(40);
    std::iota(all.begin(), all.end(), 0);
    for (int round = 0; round < 2; ++round) {
        current = renderer.Reset(CString::fromStdString(path));
        renderer.Request(all);
        // The first round is cut short while results are on their way.
        if (round == 0) {
            ASSERT_TRUE(waitFor([&] { return !delivered[current].empty(); }));
            continue;
        }
        ASSERT_TRUE(waitFor([&] { return delivered[current].size() == all.size(); }));
    }
    QApplication::processEvents();
    EXPECT_EQ(stale, 0);
    for (const std::int32_t page : all)
        EXPECT_EQ(delivered[current][page], 1) << page;
}

TEST(ThumbnailModel, BoxesAPageCentredAndFramedAsAPainterDrawsIt)
{
    const CSize box(CThumbnailPanel::THUMBNAIL_WIDTH, CThumbnailPanel::THUMBNAIL_HEIGHT);
    CThumbnailModel model(box);
    model.Reset(1);
    // Exactly the box, narrower, shorter, odd margins, and larger than the box.
    for (const QSize size :
         {QSize(96, 136), QSize(60, 136), QSize(96, 50), QSize(31, 17), QSize(121, 201)}) {
        QImage page(size, QImage::Format_Grayscale8);
        for (int y = 0; y < size.height(); ++y)
            for (int x = 0; x < size.width(); ++x)
                page.scanLine(y)[x] = std::uint8_t((x * 7 + y * 3) % 256);
        QImage expected(box.cx, box.cy, QImage::Format_ARGB32_Premultiplied);
        expected.fill(Qt::transparent);
        {
            QPainter painter(&expected);
            const QRect placed((box.cx - size.width()) / 2, (box.cy - size.height()) / 2,
                               size.width(), size.height());
            painter.drawImage(placed.topLeft(), page);
            painter.setPen(QColor(120, 120, 120));
            painter.drawRect(placed.adjusted(0, 0, -1, -1));
        }
        model.SetThumbnail(0, page);
        EXPECT_EQ(model.data(model.index(0), Qt::DecorationRole).value<QImage>(), expected)
            << size.width() << "x" << size.height();
    }
}
