#include "platform/ProcessorFeatures.h"

BOOL IsProcessorFeaturePresent(DWORD feature)
{
#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
    // Asked once per page operation: the answer is looked up once per process.
    static const bool sse2 = __builtin_cpu_supports("sse2");
    static const bool avx2 = __builtin_cpu_supports("avx2");
    switch (feature) {
    case PF_XMMI64_INSTRUCTIONS_AVAILABLE:
        return sse2;
    case PF_AVX2_INSTRUCTIONS_AVAILABLE:
        return avx2;
    default:
        return FALSE;
    }
#else
    (void)feature;
    return FALSE;
#endif
}
