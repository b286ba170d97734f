// The show's side of the music: its fatal-error path.
#include "music.h"

#include <gtest/gtest.h>

TEST(MusicFatal, TellsTheUserAndEndsTheProcessWithCodeZero) {
    testing::FLAGS_gtest_death_test_style = "threadsafe";
    // Without a display the message box's caption and text go to stderr.
    EXPECT_EXIT(
        {
            BASS_Init(0, 44100, 0, nullptr);
            MusicFatal(nullptr, "Can't initialize device");
        },
        testing::ExitedWithCode(0), "Bass ERROR!!!: Can't initialize device");
}
