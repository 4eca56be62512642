#include "platform/DebugOutput.h"

#include <gtest/gtest.h>

TEST(DebugOutput, CaptureSeesTraceLinesAndRestoresSilence)
{
    {
        DebugOutputCapture capture;
        OutputDebugStringA("first\n");
        TRACE("Failed to allocate %u BYTEs\n", 42u);
        OutputDebugStringA(nullptr);
        EXPECT_EQ(capture.text(), "first\nFailed to allocate 42 BYTEs\n");
    }
    // With no sink installed the channel swallows everything.
    DebugOutputSink previous = SetDebugOutputSink({});
    EXPECT_FALSE(previous);
    OutputDebugStringA("nobody hears this\n");
}

TEST(DebugOutput, NestedCapturesEachSeeOnlyTheirOwnSpan)
{
    DebugOutputCapture outer;
    OutputDebugStringA("a");
    {
        DebugOutputCapture inner;
        OutputDebugStringA("b");
        EXPECT_EQ(inner.text(), "b");
    }
    OutputDebugStringA("c");
    EXPECT_EQ(outer.text(), "ac");
}

TEST(DebugOutput, LongTraceLinesAreNotCut)
{
    DebugOutputCapture capture;
    std::string longText(5000, 'x');
    TRACE("** %s\n", longText.c_str());
    EXPECT_EQ(capture.text(), "** " + longText + "\n");
}
