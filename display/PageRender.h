#pragma once

#include "display/PageBitmap.h"

#include <cstdint>

// What a shown page is rendered for, besides the page itself: the size it covers on
// screen in logical pixels, the screen's device pixel ratio, smoothing, and the turn
// applied afterwards. Actual Size is a plain copy at the page's own size. It names no
// window, so the document, the workers that prepare pages ahead and other programs all
// render pages alike, on any thread.
struct RenderTarget
{
    static constexpr std::int32_t NO_TURN = -1;

    CSize shown;
    bool bActualSize = false;
    double ratio = 1.0;
    BOOL bSmooth = TRUE;
    // IMG_ROT_CW90, IMG_ROT_180, IMG_ROT_CCW90 or NO_TURN.
    std::int32_t nTurn = NO_TURN;

    bool operator==(const RenderTarget &) const = default;
};

// Reads page index (0-based) of path into source as the screen shows it: normal-mode
// pages get their rows doubled, tall-pixel pages their rows merged (smoothed as `smooth`
// says). pPageCount, when given, gets the file's page count, also when the page cannot
// be read. 0, or the read's imaging error code with source empty. Shows nothing.
std::uint32_t ReadShownPage(CPageBitmap &source, const CString &path, std::int32_t index,
                            std::int32_t *pPageCount, BOOL smooth);

// Renders source into display as render says: reduced for the screen (or copied), then turned.
// The code of the reduction or copy; display is turned whatever it says.
std::uint32_t RenderPage(CPageBitmap &display, CPageBitmap &source, const RenderTarget &render);
