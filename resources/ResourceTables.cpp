#include "resources/ResourceTables.h"

#include "resources/Icons.h"
#include "resources/Resource.h"
#include "resources/StringTable.h"

namespace {

const MenuItemResource kFileMenu[] = {
    {ID_FILE_OPEN, "&Open...\tCtrl+O"},
    {0, nullptr},
    {ID_FILE_PRINT, "&Print...\tCtrl+P"},
    {ID_FILE_PRINT_PREVIEW, "Print Pre&view"},
    {ID_FILE_PRINT_SETUP, "P&rint Setup..."},
    {0, nullptr},
    {ID_FILE_FAX_PROPERTIES, "Fax P&roperties...\tAlt+Return"},
    {0, nullptr},
    // Ctrl+Q, as the desktops' own programs quit.
    {ID_APP_EXIT, "E&xit\tCtrl+Q"},
};

const MenuItemResource kViewMenu[] = {
    {ID_VIEW_TOOLBAR, "&Toolbar"},
    {ID_VIEW_STATUS_BAR, "&Status Bar"},
    {ID_VIEW_TOOLTIPS, "T&oolTips"},
    {0, nullptr},
    {ID_VIEW_ANTIALIAS, "&Anti-Alias"},
    {0, nullptr},
    {ID_VIEW_THUMBNAILS, "Page T&humbnails\tF9"},
};

const MenuItemResource kPageMenu[] = {
    {ID_PAGE_FIRST, "&First"},
    {ID_PAGE_PREVIOUS, "&Previous"},
    {ID_PAGE_NEXT, "&Next"},
    {ID_PAGE_LAST, "&Last"},
    {0, nullptr},
    {ID_PAGE_GOTO, "&Go to Page...\tCtrl+G"},
    {0, nullptr},
    {ID_FAX_NEXT_IN_FOLDER, "Next Fa&x in Folder\tAlt+PgDown"},
    {ID_FAX_PREVIOUS_IN_FOLDER, "Pre&vious Fax in Folder\tAlt+PgUp"},
};

const MenuItemResource kZoomMenu[] = {
    {ID_ZOOM_FITWIDTH, "Fit to &Width"},
    {ID_ZOOM_FITHEIGHT, "Fit to &Height"},
    {0, nullptr},
    {ID_ZOOM_ACTUALSIZE, "&Actual Size"},
    {ID_ZOOM_33, "S&cale to 33%"},
    {ID_ZOOM_50, "&Scale to 50%"},
    {0, nullptr},
    {ID_ZOOM_IN, "Zoom &In\tCtrl++"},
    {ID_ZOOM_OUT, "Zoom &Out\tCtrl+-"},
};

const MenuItemResource kRotationMenu[] = {
    {ID_ROTATE_NONE, "&None"},
    {ID_ROTATE_LEFT, "&Left"},
    {ID_ROTATE_RIGHT, "&Right"},
    {ID_ROTATE_UPSIDEDOWN, "&Upside Down"},
};

const MenuItemResource kHelpMenu[] = {
    {ID_HELP_CONTENTS, "Fax Viewer &Help"},
    {0, nullptr},
    {ID_APP_ABOUT, "&About Fax Viewer..."},
};

const MenuResource kMainMenu[] = {
    {"&File", kFileMenu}, {"&View", kViewMenu},         {"&Page", kPageMenu},
    {"&Zoom", kZoomMenu}, {"&Rotation", kRotationMenu}, {"&Help", kHelpMenu},
};

// F1 and Shift+F1 are bound to ids nobody handles, so the keys do nothing.
const AcceleratorResource kMainAccelerators[] = {
    {Qt::CTRL | Qt::Key_O, ID_FILE_OPEN},
    {Qt::CTRL | Qt::Key_P, ID_FILE_PRINT},
    // Go to a page by its number, as in the common document viewers.
    {Qt::CTRL | Qt::Key_G, ID_PAGE_GOTO},
    // As in the desktops' own programs: Ctrl+Q quits, F9 shows or hides a side panel.
    {Qt::CTRL | Qt::Key_Q, ID_APP_EXIT},
    {QKeyCombination(Qt::Key_F9), ID_VIEW_THUMBNAILS},
    {QKeyCombination(Qt::Key_F1), ID_HELP},
    {Qt::SHIFT | Qt::Key_F1, ID_CONTEXT_HELP},
    // Ctrl+= is Ctrl++ without Shift on most layouts.
    {Qt::CTRL | Qt::Key_Plus, ID_ZOOM_IN},
    {Qt::CTRL | Qt::Key_Equal, ID_ZOOM_IN},
    {Qt::CTRL | Qt::Key_Minus, ID_ZOOM_OUT},
    // The faxes of the folder as they were received.
    {Qt::ALT | Qt::Key_PageDown, ID_FAX_NEXT_IN_FOLDER},
    {Qt::ALT | Qt::Key_PageUp, ID_FAX_PREVIOUS_IN_FOLDER},
    {Qt::ALT | Qt::Key_Return, ID_FILE_FAX_PROPERTIES},
    {Qt::ALT | Qt::Key_Enter, ID_FILE_FAX_PROPERTIES},
};

const UINT kMainToolBar[] = {
    ID_FILE_OPEN,
    0,
    ID_FILE_PRINT,
    0,
    ID_ROTATE_NONE,
    ID_ROTATE_LEFT,
    ID_ROTATE_UPSIDEDOWN,
    ID_ROTATE_RIGHT,
    0,
    ID_ZOOM_FITWIDTH,
    ID_ZOOM_FITHEIGHT,
    0,
    ID_PAGE_FIRST,
    ID_PAGE_PREVIOUS,
    ID_PAGE_NEXT,
    ID_PAGE_LAST,
};

QIcon loadIcon(UINT nID) { return nID == IDR_MAINFRAME ? ApplicationIcon() : ToolBarIcon(nID); }

} // namespace

const CResourceModule &ProgramResources()
{
    static const CResourceModule module{
        .strings = StringTable(),
        .menus = kMainMenu,
        .accelerators = kMainAccelerators,
        .toolBar = kMainToolBar,
        .loadIcon = loadIcon,
    };
    return module;
}
