#include "platform/GlobalMemory.h"

#include <gtest/gtest.h>

#include <cstring>

TEST(GlobalMemory, ZeroInitBlockReportsRequestedSizeAndIsZeroed)
{
    for (std::size_t bytes : {std::size_t{1}, std::size_t{13}, std::size_t{4096}}) {
        auto *block = static_cast<unsigned char *>(GlobalAlloc(GMEM_FIXED | GMEM_ZEROINIT, bytes));
        ASSERT_NE(block, nullptr);
        EXPECT_EQ(GlobalSize(block), bytes);
        for (std::size_t i = 0; i < bytes; ++i)
            ASSERT_EQ(block[i], 0) << "byte " << i << " of " << bytes;
        EXPECT_EQ(GlobalFree(block), nullptr);
    }
}

TEST(GlobalMemory, ForeignAndFreedPointersAreNotBlocks)
{
    int local = 0;
    EXPECT_EQ(GlobalSize(&local), 0u);
    EXPECT_EQ(GlobalSize(nullptr), 0u);
    EXPECT_EQ(GlobalFree(&local), &local);

    void *block = GlobalAlloc(GPTR, 8);
    ASSERT_NE(block, nullptr);
    std::size_t live = GlobalLiveBlockCount();
    EXPECT_EQ(GlobalFree(block), nullptr);
    EXPECT_EQ(GlobalLiveBlockCount(), live - 1);
    EXPECT_EQ(GlobalSize(block), 0u);
}

TEST(GlobalMemory, ZeroByteBlockIsDistinctAndFreeable)
{
    void *a = GlobalAlloc(GPTR, 0);
    void *b = GlobalAlloc(GPTR, 0);
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    EXPECT_NE(a, b);
    EXPECT_EQ(GlobalSize(a), 0u);
    EXPECT_EQ(GlobalFree(a), nullptr);
    EXPECT_EQ(GlobalFree(b), nullptr);
}
