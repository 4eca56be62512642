#pragma once

#include "framework/AfxRes.h"

// Command, string and resource ids shared by the menus, toolbar, accelerators,
// string table and every command target.

// Resources of the application
#define IDR_MAINFRAME 128

// Strings of the application
#define IDS_PAGES_PAST_LIMIT 200
#define IDS_PRINT_BLANK_START 201

// Status panes of the document
#define ID_INDICATOR_PAGE 59142
#define ID_INDICATOR_RESOLUTION 59143
#define ID_INDICATOR_SIZE 59144

// Commands of the viewer
#define ID_PAGE_FIRST 32771
#define ID_PAGE_PREVIOUS 32772
#define ID_PAGE_NEXT 32773
#define ID_PAGE_LAST 32774
#define ID_ZOOM_FITWIDTH 32776
#define ID_ZOOM_FITHEIGHT 32778
#define ID_ZOOM_ACTUALSIZE 32780
#define ID_ZOOM_50 32781
#define ID_ROTATE_NONE 32786
#define ID_ROTATE_LEFT 32787
#define ID_ROTATE_RIGHT 32788
#define ID_ROTATE_UPSIDEDOWN 32789
#define ID_ZOOM_33 32791
#define ID_VIEW_ANTIALIAS 32793
#define ID_VIEW_TOOLTIPS 32794
#define ID_HELP_CONTENTS 32795
#define ID_VIEW_THUMBNAILS 32796
#define ID_ZOOM_IN 32797
#define ID_ZOOM_OUT 32798
#define ID_PAGE_GOTO 32799
#define ID_FAX_NEXT_IN_FOLDER 32820
#define ID_FAX_PREVIOUS_IN_FOLDER 32821
#define ID_FILE_FAX_PROPERTIES 32822
