#pragma once

#include "framework/Geometry.h"

#include <QImage>

#include <cstdint>

// The picture a file manager shows for a fax file: page 1, black on white, shaped as
// the viewer shows it, smoothed down so its longer side is `size` pixels. A page
// smaller than that keeps its own size: enlarging adds nothing to a thumbnail.
// Reads page 1 alone, so a fax of thousands of pages costs no more than one page.
// Returns 0 with a Grayscale8 image, else the imaging error code and a null image.
std::uint32_t RenderFaxThumbnail(const CString &path, std::int32_t size, QImage *pImage);

// Width and height that fit `page` into a square of `size` at the page's own
// proportions, neither below 1 nor past the page's own size.
CSize FitThumbnail(CSize page, std::int32_t size);
