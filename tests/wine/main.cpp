// The entry point of the Windows test program, a console program: the tests run on the
// Windows platform.
#include <gtest/gtest.h>

#include "toolkit/Platform.h"
#include "toolkit/win32/Win32Platform.h"

namespace wine_files {
bool WriteUntilKilled(int argc, char** argv);  // test_wine_files.cpp
}

int main(int argc, char** argv) {
    const tk::win32::Win32Platform platform;
    const tk::PlatformScope installed(platform.Get());
    if (wine_files::WriteUntilKilled(argc, argv)) return 0;
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
