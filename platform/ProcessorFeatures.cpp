#include "platform/ProcessorFeatures.h"

#include <cstdlib>
#include <cstring>

namespace {

// The portable paths can be forced on a processor that has the wide ones, so that
// tests run them too.
bool widePathsAllowed()
{
#ifdef PAGELOT_PORTABLE_ONLY
    return false;
#else
    const char *value = std::getenv("PAGELOT_PORTABLE_ONLY");
    return !value || !*value || std::strcmp(value, "0") == 0;
#endif
}

} // namespace

BOOL IsProcessorFeaturePresent(DWORD feature)
{
#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
    // Asked once per page operation: the answer is looked up once per process.
    static const bool sse2 = __builtin_cpu_supports("sse2");
    static const bool avx2 = widePathsAllowed() && __builtin_cpu_supports("avx2");
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
