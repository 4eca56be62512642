#include "display/ImagingErrorText.h"

#include <array>

namespace {

// Indexed by code; null where a code has no text of its own.
constexpr std::array<const char *, 39> ERROR_TEXTS = {
    "no err",
    "out of memory",
    "error on file open",
    "error on file read",
    "error on file write",
    "bad user param",
    "bad BMP file",
    "some RLE variations are not supported",
    nullptr,
    "bad JPG file",
    "error with device context",
    "problem with a GetDIBits call",
    nullptr,
    "resource not found",
    "callback returned FALSE - operation aborted",
    "bad PNG file",
    "internal PNG lib behavior - contact quillmoss s.w.",
    "misc unexpected behavior error - contact quillmoss s.w.",
    "trouble creating a font object",
    "misc internal TIFF error",
    "invalid TIFF file",
    "this will not read TIFF-LZW images",
    "invalid PCX image",
    "a call to the fn CreateCompatibleBitmap failed",
    "end of an image while using single-line de/compression",
    "error during a call to GetDIBits",
    "device does not support an operation required by this function",
    "invalid windows metafile",
    "the file was not of the requested bit-depth",
    "a call to BitBlt failed.",
    "output buffer is too small for this operation",
    "not enough room in the output palette to store the colors from this image",
    "bad TGA File",
    nullptr,
    nullptr,
    "a call to the fn CreateDIBitmap failed",
    "LZW de/compression is not permitted",
    nullptr,
    nullptr,
};

} // namespace

CString ImagingErrorText(std::uint32_t code)
{
    if (code < ERROR_TEXTS.size() && ERROR_TEXTS[code])
        return CString::fromLatin1(ERROR_TEXTS[code]);
    return CString::asprintf("Error #%u!", code);
}
