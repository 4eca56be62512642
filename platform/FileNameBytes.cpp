#include "platform/FileNameBytes.h"

#include <cstddef>

namespace {

constexpr char16_t kCarriedBase = 0xDC00;

bool isHigh(char16_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool isLow(char16_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

// A carried byte: U+DC80 to U+DCFF not completing a surrogate pair.
bool isCarried(std::u16string_view text, std::size_t at)
{
    const char16_t unit = text[at];
    return unit >= 0xDC80 && unit <= 0xDCFF && !(at > 0 && isHigh(text[at - 1]));
}

// Length of the valid UTF-8 sequence at bytes[at] and its code point; 0 where none
// starts there (stray continuation, overlong form, encoded surrogate, past U+10FFFF,
// cut short).
std::size_t validSequence(std::string_view bytes, std::size_t at, char32_t &code)
{
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(bytes[at + i]); };
    const unsigned char lead = byte(0);
    std::size_t length = 0;
    char32_t minimum = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        code = lead & 0x1F;
        minimum = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        code = lead & 0x0F;
        minimum = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        code = lead & 0x07;
        minimum = 0x10000;
    } else {
        return 0;
    }
    if (bytes.size() - at < length)
        return 0;
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(i) & 0xC0) != 0x80)
            return 0;
        code = (code << 6) | (byte(i) & 0x3F);
    }
    if (code < minimum || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
        return 0;
    return length;
}

void appendUtf8(std::string &out, char32_t code)
{
    if (code < 0x80) {
        out += char(code);
    } else if (code < 0x800) {
        out += char(0xC0 | (code >> 6));
        out += char(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += char(0xE0 | (code >> 12));
        out += char(0x80 | ((code >> 6) & 0x3F));
        out += char(0x80 | (code & 0x3F));
    } else {
        out += char(0xF0 | (code >> 18));
        out += char(0x80 | ((code >> 12) & 0x3F));
        out += char(0x80 | ((code >> 6) & 0x3F));
        out += char(0x80 | (code & 0x3F));
    }
}

} // namespace

std::u16string FileNameText(std::string_view bytes)
{
    std::u16string text;
    text.reserve(bytes.size());
    for (std::size_t at = 0; at < bytes.size();) {
        const auto lead = static_cast<unsigned char>(bytes[at]);
        char32_t code = lead;
        std::size_t length = lead < 0x80 ? 1 : validSequence(bytes, at, code);
        if (length == 0) {
            text += char16_t(kCarriedBase + lead);
            length = 1;
        } else if (code >= 0x10000) {
            text += char16_t(0xD800 + ((code - 0x10000) >> 10));
            text += char16_t(0xDC00 + ((code - 0x10000) & 0x3FF));
        } else {
            text += char16_t(code);
        }
        at += length;
    }
    return text;
}

std::string FileNameBytes(std::u16string_view text)
{
    std::string bytes;
    bytes.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t unit = text[i];
        if (isCarried(text, i)) {
            bytes += char(unit - kCarriedBase);
        } else if (isHigh(unit) && i + 1 < text.size() && isLow(text[i + 1])) {
            appendUtf8(bytes, 0x10000 + ((char32_t(unit) - 0xD800) << 10) + (text[i + 1] - 0xDC00));
            ++i;
        } else if (isHigh(unit) || isLow(unit)) {
            appendUtf8(bytes, 0xFFFD); // a lone surrogate no file name gave
        } else {
            appendUtf8(bytes, unit);
        }
    }
    return bytes;
}

std::u16string FileNameShown(std::u16string_view text)
{
    std::u16string shown(text);
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (isCarried(text, i))
            shown[i] = 0xFFFD;
    }
    return shown;
}
