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
