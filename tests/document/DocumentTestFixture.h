#pragma once

#include "document/PagelotDoc.h"
#include "framework/CmdUI.h"
#include "framework/FileDialog.h"
#include "framework/FrameWnd.h"
#include "framework/MessageBox.h"
#include "framework/SystemMetrics.h"
#include "framework/View.h"
#include "framework/WinApp.h"
#include "resources/Resource.h"
#include "tools/fixtures/FixtureWriter.h"
#include "tools/fixtures/TempDir.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

// A view that counts the document's notifications and has a fixed client area.
class CountingView : public CView
{
public:
    CountingView()
    {
        setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    }
    void OnUpdate(CView *, LPARAM, CObject *) override { ++m_nUpdates; }
    void OnDraw(CDC *) override {}

    int m_nUpdates = 0;
};

class TipsFrame : public CFrameWnd
{
public:
    void ShowToolbarTips(BOOL bShow) override { m_shown.push_back(bShow); }
    std::vector<BOOL> m_shown;
};

struct ShownMessage
{
    CString text;
    CString caption;
    UINT nType;
};

struct PageImage
{
    CSize size;
    std::vector<std::uint8_t> bytes;
    bool operator==(const PageImage &) const = default;
};

inline PageImage imageOf(const CPageBitmap &page)
{
    PageImage image{page.m_size, {}};
    if (page.m_pPixels)
        image.bytes.assign(page.m_pPixels,
                           page.m_pPixels + std::size_t(page.m_size.cx) * page.m_size.cy);
    return image;
}

inline CString qpath(const std::string &path) { return CString::fromStdString(path); }

// Fax files shared by the document tests, written once.
struct FaxFiles
{
    TempDir folder;
    std::string five;   // five fine pages of different sizes and content
    std::string one;    // a single fine page
    std::string letter; // two fine pages of 1728 x 2200
    std::string normal; // two normal-mode pages of 1728 x 1100 at 204 x 98 dpi
    std::string narrow; // a fine page of 300 x 400, narrower than the views
    std::string garbage;

    FaxFiles();
};

const FaxFiles &faxFiles();

// The document as the application sets it up: an application object whose settings live
// in a temporary file, a main frame, one view of a fixed client size, seams for the message
// box and the open dialog, and a screen wider than 864 pixels.
class DocumentTest : public ::testing::Test
{
protected:
    DocumentTest();
    ~DocumentTest() override;

    void SetClientSize(int width, int height);
    // Runs a command along the frame's routing; TRUE when a handler took it.
    BOOL Command(UINT nID) { return m_frame.ExecuteCommand(nID); }
    // The state the update pass gives the command.
    CCmdUI Update(UINT nID);
    // File > Open, choosing path in the dialog.
    void Open(const std::string &path);
    // A fresh reduction of page index of path, turned once by code (-1: not turned).
    static PageImage Reference(const std::string &path, int index, CSize size, BOOL smooth,
                               int code = -1);
    static CSize SourceSize(const std::string &path, int index);

    TempDir m_settingsFolder;
    std::unique_ptr<CWinApp> m_pApp;
    TipsFrame m_frame;
    CountingView m_view;
    std::unique_ptr<CPagelotDoc> m_pDoc;
    std::vector<ShownMessage> m_messages;
    CString m_strNextOpen;
    int m_nDialogs = 0;
};
