#include "platform/ThreadLocal.h"

#include <gtest/gtest.h>

#include <thread>

TEST(ThreadLocal, SlotValuesArePerThread)
{
    std::uint32_t slot = TlsAlloc();
    ASSERT_NE(slot, TLS_OUT_OF_INDEXES);
    int mine = 1;
    int theirs = 2;
    ASSERT_TRUE(TlsSetValue(slot, &mine));
    void *seenByOther = &mine;
    std::thread other([&] {
        seenByOther = TlsGetValue(slot);
        TlsSetValue(slot, &theirs);
    });
    other.join();
    EXPECT_EQ(seenByOther, nullptr);
    EXPECT_EQ(TlsGetValue(slot), &mine);
    EXPECT_TRUE(TlsFree(slot));
}

TEST(ThreadLocal, InjectedSetFailureReportsSystemError)
{
    std::uint32_t slot = TlsAlloc();
    ASSERT_NE(slot, TLS_OUT_OF_INDEXES);
    FailNextTlsSetValueForTesting(1);
    int value = 0;
    EXPECT_EQ(TlsSetValue(slot, &value), 0);
    EXPECT_NE(GetLastError(), 0u);
    EXPECT_EQ(TlsGetValue(slot), nullptr);
    EXPECT_EQ(TlsSetValue(slot, &value), 1);
    EXPECT_EQ(TlsGetValue(slot), &value);
    TlsFree(slot);
}
