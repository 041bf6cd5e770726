// Tolmar MSH Viewer - frames held at the gate while the window changes size, and only then.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#include "app/GuiTestSupport.h"
#include "view/FrameGate.h"

#include <future>

using namespace std::chrono_literals;

struct HoldCase
{
    const char* name;
    bool frameDrawnBefore, framesWillCome, held;
};

class FrameGateHold : public ::testing::TestWithParam<HoldCase> {};

// A frame asked for by the hold stands at the gate while it is held, and goes on once the window rests.
TEST_P (FrameGateHold, HoldsTheNextFrameOnlyOnceFramesAreDrawn)
{
    FrameGate gate;
    if (GetParam().frameDrawnBefore)
        gate.pass (0s);

    std::future<void> frame;
    std::atomic<bool> done { false };
    gate.hold ([&] { frame = std::async (std::launch::async, [&] { gate.pass (10s); done = true; }); }, GetParam().framesWillCome);

    EXPECT_EQ (GetParam().held, frame.valid() && ! done) << "the frame should wait at the gate while the size changes";
    EXPECT_TRUE (pumpUntil ([&] { return ! frame.valid() || done; }, 3000)) << "the gate should open once the size rests";
}

INSTANTIATE_TEST_SUITE_P (View, FrameGateHold, ::testing::Values (
    HoldCase { "before_the_first_frame", false, true, false },
    HoldCase { "while_the_view_is_hidden", true, false, false },
    HoldCase { "while_frames_are_drawn", true, true, true }),
    [] (const auto& test) { return std::string (test.param.name); });

TEST (FrameGate, TheWindowWaitsForAFrameAtTheGateOnlyAsLongAsItsPatience)
{
    FrameGate gate;
    EXPECT_FALSE (gate.close ([] {}, 50ms));
    auto frame = std::async (std::launch::async, [&] { gate.pass (10s); });
    EXPECT_TRUE (gate.close ([] {}, 10s)) << "a frame that comes later still stops at the gate";
    gate.open();
    EXPECT_EQ (std::future_status::ready, frame.wait_for (5s));
    EXPECT_FALSE (gate.close ([] {}, 50ms)) << "a frame that went on stands there no longer";
}
