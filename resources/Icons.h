#pragma once

#include "platform/WinTypes.h"

#include <QIcon>

// Icons drawn as vector art at whatever size is asked for, so the 16 x 15 toolbar
// buttons stay crisp at 1x and sharp on high-density screens.

// The toolbar button image of a command id; a null icon for ids without one.
QIcon ToolBarIcon(UINT nID);
// Icon 128: the application.
QIcon ApplicationIcon();
