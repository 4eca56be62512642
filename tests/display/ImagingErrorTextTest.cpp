#include "display/ImagingErrorText.h"

#include <gtest/gtest.h>

TEST(ImagingErrorText, EveryCodeOfTheTable)
{
    const std::pair<std::uint32_t, const char *> table[] = {
        {0, "no err"},
        {1, "out of memory"},
        {2, "error on file open"},
        {3, "error on file read"},
        {4, "error on file write"},
        {5, "bad user param"},
        {6, "bad BMP file"},
        {7, "some RLE variations are not supported"},
        {8, "Error #8!"},
        {9, "bad JPG file"},
        {10, "error with device context"},
        {11, "problem with a GetDIBits call"},
        {12, "Error #12!"},
        {13, "resource not found"},
        {14, "callback returned FALSE - operation aborted"},
        {15, "bad PNG file"},
        {16, "internal PNG lib behavior - contact quillmoss s.w."},
        {17, "misc unexpected behavior error - contact quillmoss s.w."},
        {18, "trouble creating a font object"},
        {19, "misc internal TIFF error"},
        {20, "invalid TIFF file"},
        {21, "this will not read TIFF-LZW images"},
        {22, "invalid PCX image"},
        {23, "a call to the fn CreateCompatibleBitmap failed"},
        {24, "end of an image while using single-line de/compression"},
        {25, "error during a call to GetDIBits"},
        {26, "device does not support an operation required by this function"},
        {27, "invalid windows metafile"},
        {28, "the file was not of the requested bit-depth"},
        {29, "a call to BitBlt failed."},
        {30, "output buffer is too small for this operation"},
        {31, "not enough room in the output palette to store the colors from this image"},
        {32, "bad TGA File"},
        {33, "Error #33!"},
        {34, "Error #34!"},
        {35, "a call to the fn CreateDIBitmap failed"},
        {36, "LZW de/compression is not permitted"},
        {37, "Error #37!"},
        {38, "Error #38!"},
        {39, "Error #39!"},
        {1000, "Error #1000!"},
        {4294967295u, "Error #4294967295!"},
    };
    for (const auto &[code, text] : table)
        EXPECT_EQ(ImagingErrorText(code).toStdString(), text) << "code " << code;
}
