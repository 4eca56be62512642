// File > Fax Properties (Alt+Enter): a dialog beside the page, not in front of it, with
// the fax's facts as plain text and its pages listed; Esc and Enter close it.

#include "tests/app/AppTestFixture.h"

#include "document/PagelotDoc.h"
#include "resources/Resource.h"
#include "tools/fixtures/FixtureWriter.h"
#include "view/FaxPropertiesDlg.h"
#include "view/PagelotView.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QListView>
#include <QTest>

using namespace fixtures;

namespace {

class FaxPropertiesCommand : public AppTest
{
};

} // namespace

TEST_F(FaxPropertiesCommand, OpensBesideThePageAndClosesOnEscAndEnter)
{
    FaxPage page{makePatternImage(300, 400)};
    page.tags.imageDescription = "+44 <b>1632</b> 960417";
    page.tags.badLines = 4;
    page.tags.consecutiveBad = 2;
    const std::string path = m_dir.file("facts.tif");
    ASSERT_TRUE(writeFaxTiff(path, {page, page, page}, {Compression::G4}));
    ASSERT_TRUE(Start({QString::fromStdString(path)}));
    UpdateAllCommands();
    QAction *properties = Action(ID_FILE_FAX_PROPERTIES);
    ASSERT_TRUE(properties->isEnabled());
    EXPECT_TRUE(properties->shortcuts().contains(QKeySequence(Qt::ALT | Qt::Key_Return)));
    for (const int key : {Qt::Key_Escape, Qt::Key_Return}) {
        properties->trigger();
        CFaxPropertiesDlg *pDialog = View()->GetFaxPropertiesDialog();
        ASSERT_NE(pDialog, nullptr);
        EXPECT_TRUE(pDialog->isVisible());
        EXPECT_FALSE(pDialog->isModal());
        EXPECT_EQ(pDialog->PageList()->model()->rowCount(), 3);
        // Markup in the file is shown as written.
        bool plain = false;
        for (QLabel *label : pDialog->findChildren<QLabel *>())
            plain |= label->text() == QStringLiteral("+44 <b>1632</b> 960417")
                     && label->textFormat() == Qt::PlainText;
        EXPECT_TRUE(plain);
        // The summary over all pages follows while the window is idle.
        const auto shown = [pDialog] {
            QStringList texts;
            for (QLabel *label : pDialog->findChildren<QLabel *>())
                texts << label->text();
            return texts;
        };
        QTRY_VERIFY(shown().contains(QStringLiteral("3 of 3: 1, 2, 3")));
        EXPECT_TRUE(pDialog->Pages().Complete());
        EXPECT_FALSE(shown().contains(QStringLiteral("Reading pages:")));
        // The fax stays readable beside it.
        ASSERT_TRUE(Frame()->ExecuteCommand(ID_PAGE_NEXT));
        EXPECT_EQ(Document()->GetCurrentPage(), 1);
        Frame()->ExecuteCommand(ID_PAGE_FIRST);
        QTest::keyClick(pDialog, Qt::Key(key));
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_EQ(View()->GetFaxPropertiesDialog(), nullptr) << key;
    }
    Close();
    EXPECT_TRUE(m_messages.empty());
}

// The dialog opens wide enough for a typical fax's facts on one line each, as the screen
// allows; where it does not, values wrap at blanks, a run too long to wrap is cut in the
// middle with the whole value as its tooltip, and nothing reaches past the dialog.
TEST_F(FaxPropertiesCommand, OpensToItsContentAndKeepsLongValuesReadable)
{
    const auto open = [this](const std::string &name, const FaxTags &tags) {
        FaxPage page{makePatternImage(300, 400)};
        page.tags = tags;
        const std::string path = m_dir.file(name);
        EXPECT_TRUE(writeFaxTiff(path, {page, page}, {Compression::G4}));
        EXPECT_TRUE(Document()->OnOpenDocument(QString::fromStdString(path)));
        Frame()->ExecuteCommand(ID_FILE_FAX_PROPERTIES);
        CFaxPropertiesDlg *pDialog = View()->GetFaxPropertiesDialog();
        EXPECT_NE(pDialog, nullptr);
        QApplication::processEvents();
        return pDialog;
    };
    // Every value label, by the text it was given.
    const auto values = [](CFaxPropertiesDlg *pDialog) {
        QList<QLabel *> labels;
        for (QLabel *label : pDialog->findChildren<QLabel *>())
            if (label->wordWrap())
                labels << label;
        return labels;
    };
    ASSERT_TRUE(Start());

    FaxTags typical;
    typical.imageDescription = "+44 1632 960417\n01632960417\nBRACKWATER SYSTEMS ACCOUNTS";
    typical.make = "USRobotics";
    typical.model = "Courier V.Everything";
    typical.software = "HylaFAX 6.0.7";
    typical.recvTime = 45;
    CFaxPropertiesDlg *pDialog = open("received-2026-12-08-0914-from-brackwater.tif", typical);
    ASSERT_NE(pDialog, nullptr);
    // The summary rows that come later must not squeeze the values either.
    const auto summaryShown = [pDialog] {
        for (QLabel *label : pDialog->findChildren<QLabel *>())
            if (label->text() == QStringLiteral("Time on line:") && label->isVisible())
                return true;
        return false;
    };
    QTRY_VERIFY(summaryShown());
    QApplication::processEvents();
    for (QLabel *label : values(pDialog)) {
        const int lines = int(label->text().count(u'\n')) + 1;
        EXPECT_LT(label->height(), label->fontMetrics().lineSpacing() * (lines + 1))
            << label->text().toStdString();
        EXPECT_TRUE(label->toolTip().isEmpty()) << label->text().toStdString();
    }
    const QAbstractItemModel *pPages = pDialog->PageList()->model();
    EXPECT_EQ(pPages->data(pPages->index(1, 0), Qt::ToolTipRole),
              pPages->data(pPages->index(1, 0), Qt::DisplayRole));

    FaxTags longer;
    const std::string words = "ACME INTERNATIONAL FREIGHT FORWARDING AND CUSTOMS CLEARANCE "
                              "LIMITED ACCOUNTS PAYABLE REMITTANCE ADVICE DEPARTMENT";
    const std::string run(200, 'W');
    longer.imageDescription = words + "\n" + run;
    pDialog = open("long.tif", longer);
    ASSERT_NE(pDialog, nullptr);
    const QRect room = pDialog->screen()->availableGeometry();
    EXPECT_LE(pDialog->frameGeometry().width(), room.width());
    bool sender = false;
    for (QLabel *label : values(pDialog)) {
        EXPECT_LE(label->geometry().right(), pDialog->contentsRect().right());
        if (!label->toolTip().startsWith(QString::fromStdString(words)))
            continue;
        sender = true;
        EXPECT_EQ(label->toolTip(), QString::fromStdString(words + "\n" + run));
        const QStringList lines = label->text().split(u'\n');
        ASSERT_EQ(lines.size(), 2);
        EXPECT_EQ(lines[0], QString::fromStdString(words));
        EXPECT_TRUE(lines[1].contains(u'\u2026'));
        EXPECT_LE(label->fontMetrics().horizontalAdvance(lines[1]), label->contentsRect().width());
        // The words wrapped: more than the two lines given.
        EXPECT_GE(label->height(), label->fontMetrics().lineSpacing() * 3);
    }
    EXPECT_TRUE(sender);
    Close();
}
