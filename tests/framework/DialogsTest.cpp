#include "framework/FileDialog.h"
#include "framework/FilePath.h"
#include "framework/MessageBox.h"
#include "tools/fixtures/TempDir.h"

#include <QAbstractItemModel>
#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QFontMetrics>
#include <QListView>
#include <QMessageBox>
#include <QPushButton>
#include <QThread>
#include <QTimer>
#include <gtest/gtest.h>

#include <algorithm>

namespace {

// The file names the dialog lists in its folder once the folder has been read.
QStringList listedNames(QFileDialog &dialog, int expected)
{
    auto *list = dialog.findChild<QListView *>(QStringLiteral("listView"));
    if (!list || !list->model())
        return {};
    QStringList names;
    // The folder is read on a thread of its own; a few more rounds catch late arrivals.
    for (int round = 0, settled = 0; round < 1000 && settled < 20; ++round) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(5);
        const QAbstractItemModel *model = list->model();
        names.clear();
        for (int row = 0; row < model->rowCount(list->rootIndex()); ++row) {
            const QModelIndex index = model->index(row, 0, list->rootIndex());
            if (model->flags(index) & Qt::ItemIsEnabled)
                names << model->data(index).toString();
        }
        if (names.size() >= expected)
            ++settled;
    }
    names.sort();
    return names;
}

} // namespace

// The fax filter keeps the name users know and lists .tif and .tiff in any letter case;
// "All Files (*)" lists the rest. The dialog opens in the folder it was given.
TEST(OpenDialog, FaxFilterListsTifAndTiffInAnyCase)
{
    TempDir folder;
    for (const char *name :
         {"a.tif", "b.TIF", "c.tiff", "d.TIFF", "e.Tif", "f.fax", "g.tif.bak", "h.txt"})
        folder.write(name, "II*");
    CFileDialog open(TRUE, {}, {}, OFN_HIDEREADONLY | OFN_FILEMUSTEXIST,
                     QStringLiteral("TIFF Files (*.tif)|*.tif;*.tiff|All Files (*)|*||"));
    open.m_ofn.lpstrTitle = QStringLiteral("Open Fax Document");
    open.m_ofn.lpstrInitialDir = QString::fromStdString(folder.path());

    QFileDialog dialog;
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    open.SetUpDialog(dialog);
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Open Fax Document"));
    EXPECT_EQ(dialog.directory().absolutePath(), QString::fromStdString(folder.path()));
    auto *types = dialog.findChild<QComboBox *>(QStringLiteral("fileTypeCombo"));
    ASSERT_NE(types, nullptr);
    QStringList shownTypes;
    for (int i = 0; i < types->count(); ++i)
        shownTypes << types->itemText(i);
    EXPECT_EQ(shownTypes, (QStringList{"TIFF Files (*.tif)", "All Files (*)"}));

    EXPECT_EQ(listedNames(dialog, 5), (QStringList{"a.tif", "b.TIF", "c.tiff", "d.TIFF", "e.Tif"}));
    dialog.selectNameFilter(dialog.nameFilters().at(1));
    EXPECT_EQ(listedNames(dialog, 8), (QStringList{"a.tif", "b.TIF", "c.tiff", "d.TIFF", "e.Tif",
                                                   "f.fax", "g.tif.bak", "h.txt"}));
}

// The window manager's title bar holds the caption beside the window's icon and buttons:
// a box with a short text is still wide enough for all of it.
TEST(MessageBoxWidth, ShortTextStillShowsTheWholeCaption)
{
    int width = -1;
    int captionWidth = 0;
    QTimer::singleShot(0, [&] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box)
            return;
        width = box->width();
        QFont title = box->font();
        title.setBold(true);
        captionWidth = QFontMetrics(title).horizontalAdvance(box->windowTitle());
        box->button(QMessageBox::Ok)->click();
    });
    EXPECT_EQ(AfxMessageBox(QStringLiteral("Error #7!"), MB_OK), IDOK);
    // Room for the caption, a window icon and three title-bar buttons of 32 pixels.
    EXPECT_GE(width, captionWidth + 4 * 32);
}

// The dialog's own name for a file whose bytes are not UTF-8 leads back to that file's
// bytes; a name that exists stays, and two files that look alike are not guessed at.
TEST(FileDialogChoice, FindsTheBytesOfANameTheToolkitDecodedLossily)
{
    TempDir dir;
    const std::string bytes = dir.write("fax-\xe9.tif", "x");
    const CString shown = QFile::decodeName(QByteArray::fromStdString(bytes));
    ASSERT_NE(PathBytes(shown).toStdString(), bytes);
    EXPECT_EQ(PathBytes(ChosenFilePath(shown)).toStdString(), bytes);
    const CString plain = QString::fromStdString(dir.write("plain.tif", "x"));
    EXPECT_EQ(ChosenFilePath(plain), plain);
    dir.write("fax-\xe8.tif", "x");
    EXPECT_EQ(ChosenFilePath(shown), shown);
}
