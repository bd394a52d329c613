// Paths Tessaban writes: the base bitmap and the logon command.
#include <gtest/gtest.h>

#include "setup/modConfig.h"

namespace {

TEST(SetupPaths, BaseBitmapHasSingleBackslashesButKeepsANetworkPath) {
    EXPECT_EQ(setup::BaseBitmapPath(L"C:\\Tools", L"ann"), L"C:\\Tools\\ann_Base.bmp");
    EXPECT_EQ(setup::BaseBitmapPath(L"C:\\", L"ann"), L"C:\\ann_Base.bmp");
    EXPECT_EQ(setup::BaseBitmapPath(L"\\\\server\\share\\Tools", L"ann"),
              L"\\\\server\\share\\Tools\\ann_Base.bmp");
    EXPECT_EQ(setup::BaseBitmapPath(L"\\\\server\\share\\", L"ann"),
              L"\\\\server\\share\\ann_Base.bmp");
}

TEST(SetupPaths, LogonCommandIsQuotedOnlyWhenThePathHasABlank) {
    EXPECT_EQ(setup::LogonCommand(L"C:\\Tools"), L"C:\\Tools\\Murivale.exe /p %1");
    EXPECT_EQ(setup::LogonCommand(L"C:\\"), L"C:\\\\Murivale.exe /p %1");
    EXPECT_EQ(setup::LogonCommand(L"C:\\Program Files\\Murivale"),
              L"\"C:\\Program Files\\Murivale\\Murivale.exe\" /p %1");
}

}  // namespace
