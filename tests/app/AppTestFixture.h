#pragma once

#include "app/MainFrame.h"
#include "app/PagelotApp.h"
#include "tools/fixtures/TempDir.h"

#include <QStringList>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

class CPagelotDoc;
class CPagelotView;

// Starts the application in-process as the executable would, with the settings store in
// a temporary folder, message boxes recorded instead of shown and a fixed screen.
class AppTest : public ::testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;

    // InitInstance with these arguments after the program name; the frame, or null when
    // start-up failed.
    CMainFrame *Start(const QStringList &arguments = {});
    // Closes the main window as the user does, then ends the application object.
    void Close();

    CMainFrame *Frame() const;
    CPagelotDoc *Document() const;
    CPagelotView *View() const;
    // Runs the update pass of every command action, as menus and toolbar see it.
    void UpdateAllCommands() const;
    QAction *Action(UINT nID) const;

    // A fax of `pages` fine text pages, 1728 pixels wide and `height` high.
    std::string WriteFax(const std::string &name, int pages, std::uint32_t height = 2200) const;
    void WriteSetting(const QString &key, const QVariant &value) const;

    TempDir m_dir;
    std::unique_ptr<CPagelotApp> m_pApp;
    std::vector<QString> m_messages;
};
