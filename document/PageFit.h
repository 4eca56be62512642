#pragma once

#include "display/PageRender.h"
#include "document/ZoomModes.h"
#include "framework/Geometry.h"

#include <cstdint>
#include <optional>

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

// The screen a page is rendered for, as the view tells the document: its client area,
// the scroll bar width and the device pixel ratio. Without a view nothing is fitted.
struct ScreenState
{
    bool bHasView = false;
    CRect client;
    std::int32_t nScrollBar = 0;
    double ratio = 1.0;

    bool operator==(const ScreenState &) const = default;
};

// How any page is rendered for one zoom on one screen: a value, so it can be handed to
// a worker that renders pages ahead exactly as the command would.
struct RenderPlan
{
    ZoomModeInfo zoom;
    ScreenState screen;
    // The rendering shown now: it decides which scroll bars a fit allows for.
    CSize shownNow;
    // The page is to be turned a quarter afterwards, so a fit fits its other side.
    bool bQuarterTurned = false;
    BOOL bSmooth = TRUE;
    std::int32_t nTurn = RenderTarget::NO_TURN;

    // Whether a page of some size could be shown at all: false for a fit without a view
    // or without a pixel of room.
    bool HasRoom() const;
    // The render of a page of that size; nothing when it would show nothing.
    std::optional<RenderTarget> For(CSize page) const;
};
