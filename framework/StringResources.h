#pragma once

#include "framework/Geometry.h"
#include "platform/WinTypes.h"

// The string-table entry nID, or an empty string when there is none.
CString AfxLoadString(UINT nID);

// Field iSubString of a text whose fields are separated by chSep ("prompt\ntooltip");
// FALSE, with rString empty, when there are fewer fields.
BOOL AfxExtractSubString(CString &rString, const CString &fullString, int iSubString,
                         QChar chSep = QLatin1Char('\n'));
