#include "platform/ProcessorFeatures.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>

namespace {

// The kernel's own view of the first processor's flags.
bool cpuinfoHasFlag(const std::string &flag)
{
    std::ifstream cpuinfo("/proc/cpuinfo");
    for (std::string line; std::getline(cpuinfo, line);) {
        if (line.rfind("flags", 0) != 0)
            continue;
        std::istringstream words(line.substr(line.find(':') + 1));
        for (std::string word; words >> word;)
            if (word == flag)
                return true;
        return false;
    }
    return false;
}

// The build leaves the wide kernels out, or the test run asks for the portable paths.
bool portableOnly()
{
#ifdef PAGELOT_PORTABLE_ONLY
    return true;
#else
    const char *value = std::getenv("PAGELOT_PORTABLE_ONLY");
    return value && *value && std::strcmp(value, "0") != 0;
#endif
}

} // namespace

TEST(ProcessorFeatures, AgreeWithTheKernelUnlessPortablePathsAreForced)
{
#if defined(__x86_64__)
    EXPECT_TRUE(IsProcessorFeaturePresent(PF_XMMI64_INSTRUCTIONS_AVAILABLE));
    EXPECT_EQ(IsProcessorFeaturePresent(PF_AVX2_INSTRUCTIONS_AVAILABLE) != FALSE,
              cpuinfoHasFlag("avx2") && !portableOnly());
#else
    EXPECT_FALSE(IsProcessorFeaturePresent(PF_AVX2_INSTRUCTIONS_AVAILABLE));
#endif
    for (DWORD unknown : {0u, 11u, 39u, 41u, 0xFFFFFFFFu})
        EXPECT_FALSE(IsProcessorFeaturePresent(unknown)) << unknown;
}
