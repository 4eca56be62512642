#include "framework/Dc.h"
#include "imaging/CallFrame.h"
#include "imaging/imaging.h"
#include "platform/GlobalMemory.h"

namespace {

// Entries between the header and the rows. A 24-bit DIB has no table whatever
// biClrUsed says.
std::uint32_t colourTableEntries(const BITMAPINFOHEADER &header)
{
    if (header.biBitCount == 24)
        return 0;
    if (header.biClrUsed != 0)
        return header.biClrUsed;
    return header.biBitCount < 32 ? 1u << header.biBitCount : 0;
}

// What the device can be handed: uncompressed bottom-up DIBs of 1, 8 or 24 bits
// (the kinds this layer builds), with header, table and rows inside the block
// when it is a global block. Other pointers are taken on trust, as the device
// takes them.
bool drawable(const BITMAPINFOHEADER &header, std::uint64_t rowsOffset)
{
    if (header.biSize < sizeof(BITMAPINFOHEADER) || header.biCompression != BI_RGB
        || header.biWidth <= 0 || header.biHeight <= 0 || rowsOffset > IMG_MAX_BLOCK_BYTES)
        return false;
    if (header.biBitCount != 1 && header.biBitCount != 8 && header.biBitCount != 24)
        return false;
    const std::size_t block = GlobalSize(const_cast<BITMAPINFOHEADER *>(&header));
    if (block == 0)
        return true;
    const std::uint64_t stride = (std::uint64_t(header.biWidth) * header.biBitCount + 31) / 32 * 4;
    return rowsOffset + stride * std::uint64_t(header.biHeight) <= block;
}

} // namespace

std::int32_t imgDrawDib(HDC deviceContext, const BITMAPINFOHEADER *dib, std::int32_t x,
                        std::int32_t y, std::int32_t destWidth, std::int32_t destHeight)
{
    return runFramed<std::int32_t>([&](std::uint32_t &status) -> std::int32_t {
        if (!dib || !deviceContext) {
            status = IMG_ERR_BAD_PARAM;
            return 0;
        }
        if (!(deviceContext->GetDeviceCaps(RASTERCAPS) & RC_STRETCHDIB)) {
            status = IMG_ERR_DEVICE_UNSUPPORTED;
            return 0;
        }
        const std::uint64_t rowsOffset =
            dib->biSize + std::uint64_t(colourTableEntries(*dib)) * sizeof(RGBQUAD);
        if (!drawable(*dib, rowsOffset)) {
            status = IMG_ERR_BAD_PARAM;
            return 0;
        }
        const BYTE *rows = reinterpret_cast<const BYTE *>(dib) + rowsOffset;
        const int lines = deviceContext->StretchDIBits(
            x, y, destWidth, destHeight, 0, 0, dib->biWidth, dib->biHeight, rows,
            reinterpret_cast<const BITMAPINFO *>(dib), DIB_RGB_COLORS, SRCCOPY);
        return lines == dib->biHeight ? 1 : 0;
    });
}
