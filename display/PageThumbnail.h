#pragma once

#include "framework/Geometry.h"

#include <QImage>

#include <cstdint>

// A small smoothed picture of one page of a fax file, for the page thumbnails. Safe
// on any thread: it opens its own source and touches no document.
//
// The page is reduced to `width` pixels with grey-box smoothing; its height follows
// the page's own resolution, so a normal-mode page (204 x 98 dpi) shows with its
// rows doubled, at the aspect it has on paper. Returns 0 with a Grayscale8 image,
// else the imaging error code of the read and a null image.
std::uint32_t RenderPageThumbnail(const CString &path, std::int32_t page, std::int32_t width,
                                  QImage *pImage);

// The height a page of width x height pixels at the given resolution takes when
// shown `shownWidth` pixels wide at its physical aspect; square pixels when either
// resolution is unknown. At least 1, at most four times the shown width.
std::int32_t ThumbnailHeight(CSize page, std::int32_t xResolution, std::int32_t yResolution,
                             std::int32_t shownWidth);
