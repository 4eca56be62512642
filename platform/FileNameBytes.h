#pragma once

// A file name is kept as the bytes the file system gave, whatever they are: a name
// copied from an older system is often not UTF-8, and decoding it to text and encoding
// it back would name another file or none. As UTF-16 text, UTF-8 in the name is decoded
// as usual and each byte that is not part of valid UTF-8 is carried as the lone surrogate
// U+DC00 + byte (U+DC80 to U+DCFF), which no valid text holds; the pair below turns
// bytes into that text and back, giving the very bytes again.

#include <string>
#include <string_view>

std::u16string FileNameText(std::string_view bytes);
std::string FileNameBytes(std::u16string_view text);

// The text as it may be shown: each carried byte replaced by U+FFFD.
std::u16string FileNameShown(std::u16string_view text);
