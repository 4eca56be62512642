#pragma once

#include "framework/ResourceModule.h"

// Every user-visible text of the program, sorted by id; command entries read
// "prompt\ntooltip".
std::span<const StringResource> StringTable();
