#include "app/HelpWindow.h"

#include <QApplication>
#include <QListWidget>
#include <QPointer>
#include <QTest>
#include <gtest/gtest.h>

namespace {

// The window deletes itself when closed, as the application's help window does.
class HelpWindowTest : public ::testing::Test
{
protected:
    void SetUp() override { OpenActive(); }
    void TearDown() override { delete m_pHelp; }

    void OpenActive()
    {
        m_pHelp = new CHelpWindow;
        ASSERT_TRUE(m_pHelp->Open(QStringLiteral(PAGELOT_CHM_PATH)));
        m_pHelp->show();
        QApplication::setActiveWindow(m_pHelp);
        ASSERT_TRUE(QTest::qWaitForWindowActive(m_pHelp, 60000));
    }

    // Closing hides the window at once and deletes it on the next pass of the loop.
    bool ClosedAndGone()
    {
        const bool hidden = !m_pHelp->isVisible();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        return hidden && m_pHelp.isNull();
    }

    void Press(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QTest::keyClick(m_pHelp->Browser(), Qt::Key(key), modifiers);
    }

    QString SelectedContentsEntry() const
    {
        const auto *item = m_pHelp->findChild<QListWidget *>()->currentItem();
        return item ? item->data(Qt::UserRole).toString() : QString();
    }

    QPointer<CHelpWindow> m_pHelp;
};

TEST_F(HelpWindowTest, EscapeAndCtrlWCloseIt)
{
    Press(Qt::Key_Escape);
    EXPECT_TRUE(ClosedAndGone());

    OpenActive();
    Press(Qt::Key_W, Qt::ControlModifier);
    EXPECT_TRUE(ClosedAndGone());
}

TEST_F(HelpWindowTest, AltLeftAndRightWalkTheTopicsVisitedAndTheContentsFollow)
{
    EXPECT_EQ(m_pHelp->CurrentTopic(), QStringLiteral("/index.htm"));
    emit m_pHelp->Browser()->anchorClicked(QUrl(QStringLiteral("chm:/statusbar.htm")));
    emit m_pHelp->Browser()->anchorClicked(QUrl(QStringLiteral("chm:/keys.htm")));
    ASSERT_EQ(m_pHelp->CurrentTopic(), QStringLiteral("/keys.htm"));
    EXPECT_EQ(SelectedContentsEntry(), QStringLiteral("/keys.htm"));

    Press(Qt::Key_Left, Qt::AltModifier);
    EXPECT_EQ(m_pHelp->CurrentTopic(), QStringLiteral("/statusbar.htm"));
    EXPECT_EQ(SelectedContentsEntry(), QStringLiteral("/statusbar.htm"));
    Press(Qt::Key_Left, Qt::AltModifier);
    EXPECT_EQ(m_pHelp->CurrentTopic(), QStringLiteral("/index.htm"));
    // Nothing before the first topic.
    Press(Qt::Key_Left, Qt::AltModifier);
    EXPECT_EQ(m_pHelp->CurrentTopic(), QStringLiteral("/index.htm"));

    Press(Qt::Key_Right, Qt::AltModifier);
    Press(Qt::Key_Right, Qt::AltModifier);
    EXPECT_EQ(m_pHelp->CurrentTopic(), QStringLiteral("/keys.htm"));
    Press(Qt::Key_Right, Qt::AltModifier);
    EXPECT_EQ(m_pHelp->CurrentTopic(), QStringLiteral("/keys.htm"));
    EXPECT_TRUE(m_pHelp->isVisible());
}

// The owner's frame has no decorations offscreen, so geometry and frame agree.
QRect placedBeside(const QRect &owner, const QRect &screen, QSize help = QSize(760, 560))
{
    QWidget frame;
    frame.setGeometry(owner);
    CHelpWindow window;
    window.resize(help);
    window.PlaceBeside(frame, screen);
    return window.geometry();
}

TEST(HelpWindowPlacement, BesideTheMainWindowWhereThereIsRoomElseOverItAndAlwaysOnTheScreen)
{
    const QRect screen(0, 0, 1920, 1080);
    // Room on the right.
    EXPECT_EQ(placedBeside(QRect(100, 100, 800, 600), screen), QRect(900, 100, 760, 560));
    // Room only on the left.
    EXPECT_EQ(placedBeside(QRect(1000, 100, 800, 600), screen), QRect(240, 100, 760, 560));
    // No room either side: over the window, a little in.
    EXPECT_EQ(placedBeside(QRect(0, 0, 1280, 1000), QRect(0, 0, 1280, 1024)),
              QRect(48, 48, 760, 560));
    // A window low on the screen does not push help below the screen's edge.
    EXPECT_EQ(placedBeside(QRect(100, 800, 800, 200), screen), QRect(900, 520, 760, 560));
    // A screen smaller than the window: the window shrinks to it.
    EXPECT_EQ(placedBeside(QRect(0, 0, 640, 480), QRect(0, 0, 640, 480)), QRect(0, 0, 640, 480));
    // A second screen's area, away from the origin.
    EXPECT_EQ(placedBeside(QRect(2000, 50, 600, 400), QRect(1920, 0, 1600, 900)),
              QRect(2600, 50, 760, 560));
}

} // namespace
