// The window tests run in one process with the toolkit started once, under Xvfb.
#include "ui/window_mode.h"

#include <gtest/gtest.h>

#include <cstring>

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    if (::testing::GTEST_FLAG(list_tests)) return RUN_ALL_TESTS();
    if (!StartToolkit(argc, argv)) {
        std::fprintf(stderr, "the window tests need a display (run them under xvfb-run)\n");
        return 1;
    }
    const int status = RUN_ALL_TESTS();
    EndToolkit();
    return status;
}
