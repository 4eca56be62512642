#pragma once

// Shared by the tests that run with a device pixel ratio other than 1 (QT_SCALE_FACTOR
// set by CTest): a fine fax with single-pixel lines, and what the view shows of it.

#include "tests/app/AppTestFixture.h"

#include "document/PagelotDoc.h"
#include "view/PagelotView.h"

#include <QImage>

class DensityTest : public AppTest
{
protected:
    // A fine page of text crossed by single-pixel lines every third row and column in
    // its top-left quarter, opened at 50 %: lines that survive only if every pixel does.
    void StartOnLinedFax(int frameWidth, int frameHeight);

    // The page as read, one byte per pixel (0 black, 255 white).
    int SourcePixel(int x, int y) const;
    // The shown page's grey level at (x, y) of its own pixels.
    int DisplayPixel(int x, int y) const;
    // The viewport as a fresh paint draws it, in device pixels.
    QImage GrabViewport() const;

    std::vector<BYTE> m_source;
    CSize m_sourceSize;
};
