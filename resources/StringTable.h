#pragma once

#include <cstdint>

// One entry of the string table: command entries read "prompt\ntooltip".
struct StringResource
{
    std::uint32_t id;
    const char *text;
};

// The text of a string-table entry (UTF-8), or null when the table has none.
const char *FindStringResource(std::uint32_t id);
