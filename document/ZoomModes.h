#pragma once

#include "platform/WinTypes.h"

#include <cstdint>
#include <span>

enum class ZoomMode : std::int32_t {
    FitWidth = 0,
    FitHeight = 1,
    ActualSize = 2,
    Scale33 = 3,
    Scale50 = 4,
};

enum class ZoomFit {
    None,
    Width,
    Height,
};

// One way of sizing the shown page: its command, what it sizes the page by, and whether
// the menu marks it while it is current. The document's zoom handlers, their update rules
// and the frame's radio group are all read from this table.
struct ZoomModeInfo
{
    ZoomMode mode;
    UINT nID;
    // A fit follows the window along one side and is fitted again each time it is chosen.
    ZoomFit fit;
    // A fixed scale shows 1 / divisor of the page as read (1 is the page unreduced);
    // 0 for a fit.
    std::int32_t divisor;
    bool bRadio;
};

// Every zoom mode, row i for the mode of value i.
std::span<const ZoomModeInfo> ZoomModes();
const ZoomModeInfo &ZoomModeInfoOf(ZoomMode mode);
