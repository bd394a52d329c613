// The entry point of the native tests: every case runs on the headless platform.
#include <gtest/gtest.h>

#include "toolkit/Platform.h"
#include "toolkit/headless/Headless.h"

int main(int argc, char** argv) {
    const tk::PlatformScope installed(tk::headless::GetPlatform());
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
