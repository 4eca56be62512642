#pragma once

// Command, string and resource ids shared by the menus, toolbar, accelerators,
// string table and every command target. The framework's own ids keep the
// numbers of the framework this stands in for.

// Resources of the application
#define IDD_ABOUTBOX 100
#define IDR_MAINFRAME 128
#define IDR_PAGELOTYPE 129

// Framework strings
#define AFX_IDS_APP_TITLE 57344
#define AFX_IDS_IDLEMESSAGE 57345
#define AFX_IDS_UNTITLED 61443

// Framework commands
#define ID_FILE_NEW 57600
#define ID_FILE_OPEN 57601
#define ID_FILE_PRINT_SETUP 57606
#define ID_FILE_PRINT 57607
#define ID_FILE_PRINT_DIRECT 57608
#define ID_FILE_PRINT_PREVIEW 57609
#define ID_APP_ABOUT 57664
#define ID_APP_EXIT 57665
#define ID_CONTEXT_HELP 57669
#define ID_HELP 57670

// Frame bars; the ids double as the View menu's Toolbar and Status Bar commands
#define AFX_IDW_TOOLBAR 59392
#define AFX_IDW_STATUS_BAR 59393
#define ID_VIEW_TOOLBAR 59392
#define ID_VIEW_STATUS_BAR 59393

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
