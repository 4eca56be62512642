#pragma once

// Reading back what a print job wrote to a PDF: its sheet count, and each sheet
// rasterised (pdftoppm) to find where the ink went.

#include <QRect>
#include <QSizeF>

#include <string>

namespace pdfsheets {

// The number of sheets (pdfinfo), -1 when the file cannot be read.
int sheetCount(const std::string &pdf);
// The document title of the PDF's metadata, empty when it has none.
std::string title(const std::string &pdf);
// The paper size of the first sheet in points, empty when unknown.
QSizeF paperPoints(const std::string &pdf);
// The bounding box, in pixels at `dpi`, of every pixel darker than mid-grey on sheet
// `sheet` (from 1); an empty rectangle for a blank sheet or a failed rasterisation.
QRect inkBox(const std::string &pdf, int sheet, int dpi, bool *rendered = nullptr);

} // namespace pdfsheets
