#pragma once

// The framework's own string, command and bar ids, with the numbers of the framework
// this stands in for. A program's resources use them for the entries the framework
// looks up or handles.

#define AFX_IDS_APP_TITLE 57344
#define AFX_IDS_IDLEMESSAGE 57345
#define AFX_IDS_UNTITLED 61443
// Asked when the window printed from is closed during a job; this id is our own.
#define AFX_IDP_STOP_PRINTING_TO_QUIT 61700

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

// The frame's bars; the ids double as the commands that show and hide them.
#define AFX_IDW_TOOLBAR 59392
#define AFX_IDW_STATUS_BAR 59393
#define ID_VIEW_TOOLBAR 59392
#define ID_VIEW_STATUS_BAR 59393
