// The virtual music clock's arithmetic: positions per frame, their inverse, and the parsers.
#include "musictime.h"

#include <gtest/gtest.h>

namespace {

FrameRate Rate(const char* text) {
    FrameRate rate;
    std::string error;
    EXPECT_TRUE(ParseFrameRate(text, rate, error)) << error;
    return rate;
}

TEST(MusicTime, SixtyFramesASecondAdvanceByOneSixtiethOfTheMusic) {
    const FrameRate rate = Rate("60");
    EXPECT_EQ(PositionOfFrame(0, rate), 0u);
    EXPECT_EQ(PositionOfFrame(1, rate), 2940u);
    EXPECT_EQ(PositionOfFrame(59, rate), 59u * 2940u);
    EXPECT_EQ(PositionOfFrame(60, rate), 176400u);
    // The show's last mark: 43,000,000 bytes is reached at frame 14626 (43,000,440).
    EXPECT_EQ(FirstFrameAtOrPast(43000000, rate), 14626u);
    EXPECT_EQ(PositionOfFrame(14626, rate), 43000440u);
}

TEST(MusicTime, FiftyFramesASecondAdvanceByOneFiftieth) {
    const FrameRate rate = Rate("50");
    EXPECT_EQ(PositionOfFrame(1, rate), 3528u);
    EXPECT_EQ(PositionOfFrame(50, rate), 176400u);
    EXPECT_EQ(PositionOfFrame(1000, rate), 3528000u);
}

TEST(MusicTime, FractionalRatesStayOnWholeSamplesWithoutDrift) {
    const FrameRate ntsc = Rate("60000/1001");
    // 735.735 samples a frame: whole samples, the remainder carried rather than lost.
    EXPECT_EQ(PositionOfFrame(1, ntsc), 735u * 4);
    EXPECT_EQ(PositionOfFrame(2, ntsc), 1471u * 4);
    EXPECT_EQ(PositionOfFrame(60000, ntsc), 1001u * 176400u);
    const FrameRate thirty = Rate("30");
    for (uint64_t frame = 0; frame < 5000; frame += 7) {
        EXPECT_EQ(PositionOfFrame(frame, thirty) % 4, 0u);
        EXPECT_LE(PositionOfFrame(frame, ntsc), PositionOfFrame(frame + 1, ntsc));
    }
}

TEST(MusicTime, FirstFrameAtOrPastIsTheInverseOfThePositions) {
    for (const char* text : {"60", "50", "30", "60000/1001", "24", "7"}) {
        const FrameRate rate = Rate(text);
        for (uint64_t position : {0ull, 1ull, 2939ull, 2940ull, 2941ull, 3900000ull, 11750000ull, 43000000ull}) {
            const uint64_t frame = FirstFrameAtOrPast(position, rate);
            EXPECT_GE(PositionOfFrame(frame, rate), position) << text << " at " << position;
            if (frame > 0) {
                EXPECT_LT(PositionOfFrame(frame - 1, rate), position) << text << " at " << position;
            }
        }
    }
}

TEST(MusicTime, ParsesRatesAndRefusesNonsense) {
    EXPECT_EQ(Rate("29.97").numerator, 2997u);
    EXPECT_EQ(Rate("29.97").denominator, 100u);
    FrameRate rate;
    std::string error;
    for (const char* bad : {"", "0", "60/0", "-60", "sixty", "60/", "/1", "1e3", "60 ", "99999999999999999999"}) {
        EXPECT_FALSE(ParseFrameRate(bad, rate, error)) << bad;
        EXPECT_FALSE(error.empty());
    }
}

TEST(MusicTime, SecondsBecomeWholeSamplesExactly) {
    uint64_t position = 0;
    std::string error;
    ASSERT_TRUE(ParseSeconds("1.5", position, error));
    EXPECT_EQ(position, 264600u);
    // 10.1 s is 445,410 samples exactly; a binary float would land a sample short.
    ASSERT_TRUE(ParseSeconds("10.1", position, error));
    EXPECT_EQ(position, 445410u * 4);
    ASSERT_TRUE(ParseSeconds("243", position, error));
    EXPECT_EQ(position, 243u * 176400u);
    for (const char* bad : {"", ".", "1.", "-1", "1.2.3", "abc", "1,5", "0.0000000001"})
        EXPECT_FALSE(ParseSeconds(bad, position, error)) << bad;
    EXPECT_FALSE(ParsePosition("12a", position, error));
    EXPECT_FALSE(ParsePosition("-4", position, error));
    ASSERT_TRUE(ParsePosition("43000000", position, error));
    EXPECT_EQ(position, 43000000u);
}

}  // namespace
