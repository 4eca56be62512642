#include "display/PageBitmap.h"

#include "framework/Dc.h"

#include <utility>

std::uint32_t CPageBitmap::Rotate(std::int32_t rotation)
{
    std::int32_t turned = 0;
    {
        PixelAccess pixels(*this);
        if (!pixels)
            return IMG_ERR_BAD_PARAM;
        turned = imgRotateBuffer(pixels.get(), static_cast<std::uint32_t>(m_size.cx),
                                 static_cast<std::uint32_t>(m_size.cy), rotation, 1);
    }
    if (turned == 1 && (rotation == IMG_ROT_CW90 || rotation == IMG_ROT_CCW90)) {
        std::swap(m_size.cx, m_size.cy);
        std::swap(m_shownSize.cx, m_shownSize.cy);
    }
    return imgGetLastError();
}

std::uint32_t CPageBitmap::Draw(CDC *pDC)
{
    if (!m_pDib)
        return IMG_ERR_BAD_PARAM;
    const CSize shown = ShownSize();
    imgDrawDib(pDC ? pDC->GetSafeHdc() : nullptr, m_pDib, 0, 0, shown.cx, shown.cy);
    return imgGetLastError();
}
