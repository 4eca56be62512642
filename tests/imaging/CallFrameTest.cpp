#include "imaging/CallFrame.h"
#include "imaging/imaging.h"
#include "platform/GlobalMemory.h"
#include "platform/ThreadLocal.h"

#include <gtest/gtest.h>

#include <thread>

TEST(CallFrame, NewThreadStartsAtZero)
{
    std::uint32_t seen = 99;
    std::thread fresh([&] { seen = imgGetLastError(); });
    fresh.join();
    EXPECT_EQ(seen, 0u);
}

TEST(CallFrame, SuccessfulFramedCallClearsEarlierError)
{
    BYTE pixel = 7;
    EXPECT_EQ(imgMakeDib8(nullptr, 1, 1, nullptr), nullptr);
    ASSERT_EQ(imgGetLastError(), IMG_ERR_BAD_PARAM);

    RGBQUAD table[256] = {};
    BITMAPINFOHEADER *dib = imgMakeDib8(&pixel, 1, 1, table);
    ASSERT_NE(dib, nullptr);
    EXPECT_EQ(imgGetLastError(), IMG_OK);
    EXPECT_EQ(GlobalFree(dib), nullptr);
}

TEST(CallFrame, ErrorsStayOnTheirOwnThread)
{
    // Thread A fails while B holds a different code; each must read back its own,
    // at every step of an interleaving forced with a hand-off between the two.
    std::uint32_t beforeB = 0, afterA = 0, afterB = 0;
    setLastError(IMG_ERR_BIT_DEPTH);
    std::thread a([&] {
        imgSeekSource(nullptr, 0, 0); // null handle: 5 on this thread only
        afterA = imgGetLastError();
        std::thread b([&] {
            beforeB = imgGetLastError();
            setLastError(IMG_ERR_FILE_READ);
            afterB = imgGetLastError();
        });
        b.join();
        EXPECT_EQ(imgGetLastError(), IMG_ERR_BAD_PARAM);
    });
    a.join();
    EXPECT_EQ(afterA, IMG_ERR_BAD_PARAM);
    EXPECT_EQ(beforeB, 0u);
    EXPECT_EQ(afterB, IMG_ERR_FILE_READ);
    EXPECT_EQ(imgGetLastError(), IMG_ERR_BIT_DEPTH);
}

TEST(CallFrame, ManyThreadsEachKeepTheirOwnCode)
{
    constexpr int THREADS = 16;
    std::uint32_t seen[THREADS] = {};
    std::thread workers[THREADS];
    for (int i = 0; i < THREADS; ++i) {
        workers[i] = std::thread([i, &seen] {
            for (int round = 0; round < 1000; ++round) {
                setLastError(static_cast<std::uint32_t>(100 + i));
                std::this_thread::yield();
                if (imgGetLastError() != static_cast<std::uint32_t>(100 + i)) {
                    seen[i] = imgGetLastError();
                    return;
                }
            }
            seen[i] = imgGetLastError();
        });
    }
    for (auto &worker : workers)
        worker.join();
    for (int i = 0; i < THREADS; ++i)
        EXPECT_EQ(seen[i], static_cast<std::uint32_t>(100 + i));
}

TEST(CallFrame, FailingSlotStoreRaisesTlsExceptionWithSystemCode)
{
    std::thread fresh([] {
        FailNextTlsSetValueForTesting(1);
        try {
            threadState();
            ADD_FAILURE() << "no exception";
        } catch (const TlsException &e) {
            EXPECT_NE(e.systemError(), 0u);
        }
        // The next attempt succeeds and creates the record.
        EXPECT_EQ(imgGetLastError(), 0u);
    });
    fresh.join();
}
