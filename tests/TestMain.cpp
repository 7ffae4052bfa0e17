// The main of every test program: the time zone is pinned to one with a half-hour offset, so
// day boundaries are tested where they are easy to get wrong, and Qt never needs a display.
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

int main(int argc, char** argv) {
    setenv("TZ", "Asia/Kolkata", 1);
    tzset();
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
