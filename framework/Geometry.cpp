#include "framework/Geometry.h"

#include <algorithm>
#include <utility>

CRect fromQRect(const QRect &rect)
{
    return CRect(rect.left(), rect.top(), rect.left() + rect.width(), rect.top() + rect.height());
}

bool SubtractRect(CRect *dst, const CRect &src1, const CRect &src2)
{
    CRect result = src1;
    const bool coversAcross = src2.left <= src1.left && src2.right >= src1.right;
    const bool coversDown = src2.top <= src1.top && src2.bottom >= src1.bottom;
    if (!src2.IsRectEmpty() && coversAcross && src2.top < src1.bottom && src2.bottom > src1.top) {
        if (src2.top <= src1.top)
            result.top = std::max(src1.top, src2.bottom);
        else if (src2.bottom >= src1.bottom)
            result.bottom = src2.top;
    } else if (!src2.IsRectEmpty() && coversDown && src2.left < src1.right
               && src2.right > src1.left) {
        if (src2.left <= src1.left)
            result.left = std::max(src1.left, src2.right);
        else if (src2.right >= src1.right)
            result.right = src2.left;
    }
    if (result.IsRectEmpty()) {
        *dst = CRect();
        return false;
    }
    *dst = result;
    return true;
}

CRect NormalizedRect(CRect rect)
{
    if (rect.left > rect.right)
        std::swap(rect.left, rect.right);
    if (rect.top > rect.bottom)
        std::swap(rect.top, rect.bottom);
    return rect;
}
