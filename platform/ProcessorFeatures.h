#pragma once

#include "platform/WinTypes.h"

// Which instruction sets this processor has, so a kernel compiled for a newer one
// is only run where it can be.
constexpr DWORD PF_XMMI64_INSTRUCTIONS_AVAILABLE = 10; // SSE2
constexpr DWORD PF_AVX2_INSTRUCTIONS_AVAILABLE = 40;

// TRUE when the processor has the feature; FALSE for features this build does not
// know and on processors other than x86-64.
BOOL IsProcessorFeaturePresent(DWORD feature);
