#include "resources/StringTable.h"

#include "resources/Resource.h"

#include <iterator>

namespace {

// Sorted by id, so a lookup is a binary search.
constexpr StringResource STRING_TABLE[] = {
    {IDR_MAINFRAME, "Fax Viewer\n\nPagelot\nTIFF Files (*.tif)\n.TIF\nPagelot.Document\n"
                    "Pagelot Document"},
    {IDS_PAGES_PAST_LIMIT, "This fax has more than 65,535 pages. Only the first 65,535 can be "
                           "shown and printed."},
    {IDS_PRINT_BLANK_START, "The first %1 pages of %2 could not be read and came out blank:\n%3\n\n"
                            "Print the other %4 pages anyway?"},
    {ID_PAGE_FIRST, "View the first page\nFirst Page"},
    {ID_PAGE_PREVIOUS, "View the previous page\nPrevious Page"},
    {ID_PAGE_NEXT, "View the next page\nNext Page"},
    {ID_PAGE_LAST, "View the last page\nLast Page"},
    {ID_ZOOM_FITWIDTH, "Fit the page to screen width\nFit to Width"},
    {ID_ZOOM_FITHEIGHT, "Fit the page to screen height\nFit to Height"},
    {ID_ZOOM_ACTUALSIZE, "View the page at actual size"},
    {ID_ZOOM_50, "Scale to 50% of actual size"},
    {ID_ROTATE_NONE, "No rotation\nNo Rotation"},
    {ID_ROTATE_LEFT, "Rotate 90 degrees CCW\nRotate Left"},
    {ID_ROTATE_RIGHT, "Rotate 90 degrees CW\nRotate Right"},
    {ID_ROTATE_UPSIDEDOWN, "Rotate 180 degrees\nUpside Down"},
    {ID_ZOOM_33, "Scale to 33% of actual size"},
    {ID_VIEW_ANTIALIAS, "Give the image a smoother appearance"},
    {ID_VIEW_TOOLTIPS, "Show or hide the tooltips"},
    {ID_HELP_CONTENTS, "Open the help window"},
    {ID_VIEW_THUMBNAILS, "Show or hide the page thumbnails\nPage Thumbnails"},
    {ID_ZOOM_IN, "Show the page at the next larger scale\nZoom In"},
    {ID_ZOOM_OUT, "Show the page at the next smaller scale\nZoom Out"},
    {ID_PAGE_GOTO, "View the page of the number you type\nGo to Page"},
    {ID_FAX_NEXT_IN_FOLDER, "View the fax received after this one in its folder\nNext Fax"},
    {ID_FAX_PREVIOUS_IN_FOLDER,
     "View the fax received before this one in its folder\nPrevious Fax"},
    {ID_FILE_FAX_PROPERTIES,
     "Show who sent the fax, when it came and how each page came through\nFax Properties"},
    {AFX_IDS_APP_TITLE, "Fax Viewer"},
    {AFX_IDS_IDLEMESSAGE, "Ready"},
    {ID_FILE_OPEN, "Open an existing fax document\nOpen"},
    {ID_FILE_PRINT_SETUP, "Change the printer and printing options\nPrint Setup"},
    {ID_FILE_PRINT, "Print the active document\nPrint"},
    {ID_FILE_PRINT_DIRECT, "Print the active document using current options\nQuick Print"},
    {ID_FILE_PRINT_PREVIEW, "Preview the printer output\nPrint Preview"},
    {ID_APP_ABOUT, "Display program information, version number and copyright\nAbout"},
    {ID_APP_EXIT, "Quit the application\nExit"},
    {ID_INDICATOR_PAGE, "Page 0 of 0"},
    {ID_INDICATOR_RESOLUTION, "0 x 0 dpi"},
    {ID_INDICATOR_SIZE, "0 x 0 pixels"},
    {ID_VIEW_TOOLBAR, "Show or hide the toolbar\nToggle Toolbar"},
    {ID_VIEW_STATUS_BAR, "Show or hide the status bar\nToggle Status Bar"},
    {AFX_IDS_UNTITLED, "Untitled"},
    {AFX_IDP_STOP_PRINTING_TO_QUIT, "A print job is running. Stop it and quit?"},
};

constexpr bool isSorted()
{
    for (std::size_t i = 1; i < std::size(STRING_TABLE); ++i)
        if (STRING_TABLE[i - 1].nID >= STRING_TABLE[i].nID)
            return false;
    return true;
}
static_assert(isSorted(), "string table entries must be sorted by id, without duplicates");

} // namespace

std::span<const StringResource> StringTable() { return STRING_TABLE; }
