#pragma once

#include "framework/Geometry.h"

#include <cstdint>

// Targets for fitting the shown page to a view whose client area is client, given the size
// of the rendering shown now (it decides which scroll bars the client area has lost) and
// the scroll bar width.
//
// Width: one less than the client width, less the vertical bar's width when the shown
// page is no taller than the client area (the bar is hidden now but appears for a fit).
std::int32_t FitWidthTarget(const CRect &client, std::int32_t scrollBar, CSize shown);
// Height: one less than the client height, plus the horizontal bar's height when the
// shown page is wider than the client area (the bar is shown now and goes for a fit).
std::int32_t FitHeightTarget(const CRect &client, std::int32_t scrollBar, CSize shown);

// A reduction of page whose width is target and whose height follows in proportion. The
// target is limited to the page's width: a fit never enlarges. Products in 64 bits, so a
// page of any size cannot overflow them.
CSize FitToWidth(CSize page, std::int32_t target);
// Likewise with the height as the fitted direction.
CSize FitToHeight(CSize page, std::int32_t target);
