#include "ReferenceScaler.h"

ReferenceReduction referenceReduce(const std::vector<std::uint8_t> &source,
                                   std::uint32_t sourceWidth, std::uint32_t sourceHeight,
                                   std::uint32_t width, std::uint32_t height, bool smooth)
{
    ReferenceReduction result;
    result.pixels.assign(std::uint64_t{width} * height, 0);
    if (width == 0 || height == 0 || width > sourceWidth || height > sourceHeight) {
        result.code = 5;
        return result;
    }
    const double rx = static_cast<double>(sourceWidth) / static_cast<double>(width);
    const double ry = static_cast<double>(sourceHeight) / static_cast<double>(height);
    if (rx * ry > 16777216.0) {
        result.code = 5;
        return result;
    }

    std::uint32_t kx = static_cast<std::uint32_t>(rx);
    std::uint32_t ky = static_cast<std::uint32_t>(ry);
    std::uint32_t whiteRows = 0;
    if (smooth) {
        if (kx < 2 || ky < 2) {
            kx = ky = 3;
            whiteRows = 2;
        } else if (kx < 3 || ky < 3) {
            kx = ky = 3;
            whiteRows = 1;
        }
    }
    if (whiteRows > height)
        whiteRows = height;
    const std::uint32_t computedRows = height - whiteRows;

    auto byteAt = [&](std::uint64_t index) -> std::uint32_t {
        return index < source.size() ? source[index] : 255;
    };

    std::uint64_t out = 0;
    double fy = 0.0;
    for (std::uint32_t y = 0; y < computedRows; ++y) {
        double fx = 0.0;
        for (std::uint32_t x = 0; x < width; ++x) {
            const std::uint32_t y0 = static_cast<std::uint32_t>(fy);
            std::uint32_t x0 = static_cast<std::uint32_t>(fx);
            if (fx - x0 > 0.5)
                x0 = x0 + 1;
            std::uint32_t value = 255;
            if (smooth) {
                std::uint32_t sum = 0;
                for (std::uint32_t j = 0; j < ky; ++j)
                    for (std::uint32_t i = 0; i < kx; ++i)
                        sum += byteAt(std::uint64_t{y0} * sourceWidth
                                      + std::uint64_t{j} * sourceWidth + x0 + i);
                value = sum / (kx * ky);
            } else {
                for (std::uint32_t j = 0; j < ky && value; ++j)
                    for (std::uint32_t i = 0; i < kx; ++i)
                        if (byteAt(std::uint64_t{y0} * sourceWidth + std::uint64_t{j} * sourceWidth
                                   + x0 + i)
                            == 0) {
                            value = 0;
                            break;
                        }
            }
            result.pixels[out++] = static_cast<std::uint8_t>(value);
            fx = fx + rx;
        }
        fy = fy + ry;
    }
    for (std::uint64_t i = 0; i < std::uint64_t{whiteRows} * width; ++i)
        result.pixels[out++] = 255;
    return result;
}
