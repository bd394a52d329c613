// The entry point of the Windows test program, a console program: the tests run on the
// Windows platform.
#include <gtest/gtest.h>

#include "toolkit/Platform.h"
#include "toolkit/win32/Win32Platform.h"

int main(int argc, char** argv) {
    const tk::win32::Win32Platform platform;
    const tk::PlatformScope installed(platform.Get());
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
