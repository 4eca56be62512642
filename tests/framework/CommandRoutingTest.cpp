#include "framework/CmdUI.h"
#include "framework/Document.h"
#include "framework/FrameWnd.h"
#include "framework/View.h"
#include "framework/WinApp.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

constexpr UINT ID_TEST = 40001;

// Each target records the handlers that ran, so a test sees who answered.
struct Log
{
    std::vector<std::string> entries;
};

class TestView : public CView
{
public:
    void OnDraw(CDC *) override {}
    void Handle(UINT nID, Log &log, bool command, bool update, BOOL enable = TRUE)
    {
        if (command)
            ON_COMMAND(nID, [&log] { log.entries.push_back("view"); });
        if (update)
            ON_UPDATE_COMMAND_UI(nID, [&log, enable](CCmdUI *pCmdUI) {
                log.entries.push_back("view update");
                pCmdUI->Enable(enable);
            });
    }
};

template <class Base> class Target : public Base
{
public:
    using Base::Base;
    void Handle(UINT nID, Log &log, const std::string &name, bool command, bool update,
                BOOL enable = TRUE)
    {
        if (command)
            this->ON_COMMAND(nID, [&log, name] { log.entries.push_back(name); });
        if (update)
            this->ON_UPDATE_COMMAND_UI(nID, [&log, name, enable](CCmdUI *pCmdUI) {
                log.entries.push_back(name + " update");
                pCmdUI->Enable(enable);
            });
    }
};

struct Chain
{
    Target<CWinApp> app;
    Target<CFrameWnd> frame;
    Target<CDocument> document;
    TestView *view = new TestView;

    Chain()
    {
        app.m_pMainWnd = &frame;
        frame.setCentralWidget(view);
        frame.SetActiveView(view);
        document.AddView(view);
    }
};

// One row per set of targets that handle the command; the first in the routing order wins.
struct RoutingRow
{
    bool view, document, frame, app;
    const char *expected;
};

TEST(CommandRouting, CommandGoesToViewThenDocumentThenFrameThenApplication)
{
    const RoutingRow rows[] = {
        {true, true, true, true, "view"},       {false, true, true, true, "document"},
        {false, false, true, true, "frame"},    {false, false, false, true, "app"},
        {false, true, false, true, "document"}, {true, false, false, true, "view"},
    };
    for (const RoutingRow &row : rows) {
        Log log;
        Chain chain;
        chain.view->Handle(ID_TEST, log, row.view, false);
        chain.document.Handle(ID_TEST, log, "document", row.document, false);
        chain.frame.Handle(ID_TEST, log, "frame", row.frame, false);
        chain.app.Handle(ID_TEST, log, "app", row.app, false);

        EXPECT_TRUE(chain.frame.ExecuteCommand(ID_TEST));
        EXPECT_EQ(log.entries, std::vector<std::string>{row.expected}) << row.expected;
    }
}

TEST(CommandRouting, UnhandledCommandReportsFalse)
{
    Chain chain;
    EXPECT_FALSE(chain.frame.ExecuteCommand(ID_TEST));
}

TEST(CommandRouting, RoutingWithoutActiveViewSkipsViewAndDocument)
{
    Log log;
    Chain chain;
    chain.document.Handle(ID_TEST, log, "document", true, false);
    chain.app.Handle(ID_TEST, log, "app", true, false);
    chain.frame.SetActiveView(nullptr);
    chain.frame.ExecuteCommand(ID_TEST);
    EXPECT_EQ(log.entries, std::vector<std::string>{"app"});
}

TEST(CommandRouting, DestroyedViewIsNoLongerRouted)
{
    Log log;
    Chain chain;
    chain.app.Handle(ID_TEST, log, "app", true, false);
    delete chain.view;
    EXPECT_EQ(chain.frame.GetActiveView(), nullptr);
    EXPECT_EQ(chain.document.GetFirstView(), nullptr);
    chain.frame.ExecuteCommand(ID_TEST);
    EXPECT_EQ(log.entries, std::vector<std::string>{"app"});
}

TEST(CommandUpdate, UpdateHandlerLaterOnTheRouteWinsOverEarlierCommandHandler)
{
    // The view prints, the document decides whether printing is possible.
    Log log;
    Chain chain;
    chain.view->Handle(ID_TEST, log, true, false);
    chain.document.Handle(ID_TEST, log, "document", false, true, FALSE);

    CCmdUI state(ID_TEST);
    EXPECT_TRUE(state.DoUpdate(&chain.frame, TRUE));
    EXPECT_FALSE(state.m_bEnabled);
    EXPECT_EQ(log.entries, std::vector<std::string>{"document update"});
}

TEST(CommandUpdate, WithoutUpdateHandlerEnabledOnlyWhenSomeTargetHandlesTheCommand)
{
    struct Row
    {
        bool frameHandles;
        BOOL disableIfNoHandler;
        BOOL expectedEnabled;
    };
    const Row rows[] = {{true, TRUE, TRUE}, {false, TRUE, FALSE}, {false, FALSE, TRUE}};
    for (const Row &row : rows) {
        Log log;
        Chain chain;
        chain.frame.Handle(ID_TEST, log, "frame", row.frameHandles, false);
        CCmdUI state(ID_TEST);
        EXPECT_FALSE(state.DoUpdate(&chain.frame, row.disableIfNoHandler));
        EXPECT_EQ(state.m_bEnabled, row.expectedEnabled);
        EXPECT_TRUE(log.entries.empty()) << "probing must not run the command";
    }
}

TEST(CommandUpdate, ActionBindingAppliesEnableCheckAndRadio)
{
    QAction action;
    CCmdUI state(ID_TEST, &action);
    state.Enable(FALSE);
    EXPECT_FALSE(action.isEnabled());
    state.Enable(TRUE);
    state.SetCheck(1);
    EXPECT_TRUE(action.isEnabled());
    EXPECT_TRUE(action.isCheckable());
    EXPECT_TRUE(action.isChecked());
    state.SetRadio(FALSE);
    EXPECT_FALSE(action.isChecked());
    EXPECT_TRUE(state.m_bRadio);
}

TEST(CommandUpdate, PaneBindingSetsLabelText)
{
    QLabel label(QStringLiteral("Page 0 of 0"));
    CCmdUI state(ID_TEST, nullptr, &label);
    state.Enable();
    state.SetText(QStringLiteral("Page 2 of 5"));
    EXPECT_EQ(label.text(), QStringLiteral("Page 2 of 5"));
    EXPECT_TRUE(label.isEnabled());
}

TEST(CommandUpdate, UpdatePassWalksTheActionsOfAMenu)
{
    Log log;
    Chain chain;
    chain.document.Handle(ID_TEST, log, "document", true, true, FALSE);
    chain.app.Handle(ID_TEST + 1, log, "app", true, false);

    QMenu menu;
    QAction *updated = menu.addAction(QStringLiteral("Updated"));
    AfxSetActionId(updated, ID_TEST);
    menu.addSeparator();
    QAction *handled = menu.addAction(QStringLiteral("Handled"));
    AfxSetActionId(handled, ID_TEST + 1);
    QAction *orphan = menu.addAction(QStringLiteral("Orphan"));
    AfxSetActionId(orphan, ID_TEST + 2);
    QAction *plain = menu.addAction(QStringLiteral("No command"));

    AfxUpdateActions(&chain.frame, menu.actions());
    EXPECT_FALSE(updated->isEnabled());
    EXPECT_TRUE(handled->isEnabled());
    EXPECT_FALSE(orphan->isEnabled());
    EXPECT_TRUE(plain->isEnabled());
    EXPECT_EQ(log.entries, std::vector<std::string>{"document update"});
}

TEST(DocumentViews, UpdateAllViewsSkipsTheSender)
{
    struct CountingView : TestView
    {
        int updates = 0;
        void OnUpdate(CView *, LPARAM, CObject *) override { ++updates; }
    };
    CDocument document;
    CountingView first, second;
    document.AddView(&first);
    document.AddView(&second);
    document.UpdateAllViews(&first);
    EXPECT_EQ(first.updates, 0);
    EXPECT_EQ(second.updates, 1);
    document.UpdateAllViews(nullptr);
    EXPECT_EQ(first.updates, 1);
    EXPECT_EQ(document.GetFirstView(), &first);
    EXPECT_EQ(first.GetDocument(), &document);
}

TEST(DocumentViews, PathNameTitlesDocumentAndFrame)
{
    Chain chain;
    chain.frame.OnUpdateFrameTitle(TRUE);
    EXPECT_EQ(chain.frame.windowTitle(), QStringLiteral("Untitled - Fax Viewer"));
    chain.document.SetPathName(QStringLiteral("/tmp/faxes/0042.tif"));
    EXPECT_EQ(chain.document.GetTitle(), QStringLiteral("0042.tif"));
    EXPECT_EQ(chain.document.GetPathName(), QStringLiteral("/tmp/faxes/0042.tif"));
    EXPECT_EQ(chain.frame.windowTitle(), QStringLiteral("0042.tif - Fax Viewer"));
}

TEST(DocumentViews, ClientRectIsTheViewportInsideTheScrollBars)
{
    TestView view;
    view.resize(801, 600);
    view.show();
    CRect rect;
    view.GetClientRect(&rect);
    EXPECT_EQ(rect, CRect(0, 0, 801, 600));

    view.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    view.GetClientRect(&rect);
    EXPECT_EQ(rect.Height(), 600);
    EXPECT_LT(rect.Width(), 801);
}

} // namespace
