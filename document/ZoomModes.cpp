#include "document/ZoomModes.h"

#include "resources/Resource.h"

#include <iterator>

namespace {

constexpr ZoomModeInfo ZOOM_MODES[] = {
    {ZoomMode::FitWidth, ID_ZOOM_FITWIDTH, ZoomFit::Width, 0, false},
    {ZoomMode::FitHeight, ID_ZOOM_FITHEIGHT, ZoomFit::Height, 0, false},
    {ZoomMode::ActualSize, ID_ZOOM_ACTUALSIZE, ZoomFit::None, 1, true},
    {ZoomMode::Scale33, ID_ZOOM_33, ZoomFit::None, 3, true},
    {ZoomMode::Scale50, ID_ZOOM_50, ZoomFit::None, 2, true},
};

constexpr bool isIndexedByMode()
{
    for (std::size_t i = 0; i < std::size(ZOOM_MODES); ++i)
        if (static_cast<std::size_t>(ZOOM_MODES[i].mode) != i)
            return false;
    return true;
}
static_assert(isIndexedByMode(), "zoom mode rows must follow the values of ZoomMode");

} // namespace

std::span<const ZoomModeInfo> ZoomModes() { return ZOOM_MODES; }

const ZoomModeInfo &ZoomModeInfoOf(ZoomMode mode) { return ZOOM_MODES[static_cast<int>(mode)]; }
