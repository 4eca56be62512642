#pragma once

#include "platform/WinTypes.h"

#include <QIcon>

class QPainter;

// Icons drawn as vector art at whatever size is asked for, so the 16 x 15 toolbar
// buttons stay crisp at 1x and sharp on high-density screens.

// The toolbar button image of a command id; a null icon for ids without one.
QIcon ToolBarIcon(UINT nID);
// Icon 128: the application.
QIcon ApplicationIcon();
// The application icon's vector art in its 32 x 32 design box, for exporting it as SVG.
void DrawApplicationIcon(QPainter &painter);
