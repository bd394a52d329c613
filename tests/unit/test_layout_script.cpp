// The scripts and end-to-end cases take the registry keys and file names from tools/layout.sh,
// which reads them out of the shared headers: what it reads must be what the programs compile.
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <memory>
#include <string>

#include "base/Text.h"
#include "services/Configuration.h"
#include "services/DesktopWallpaper.h"

namespace {

// What the shell prints for `script` after sourcing tools/layout.sh; empty when sourcing fails.
std::string AfterSourcingLayout(const std::string& script) {
    const std::string command = "bash -c '. \"" MURIVALE_SOURCE_DIR "/tools/layout.sh\" && " +
                                script + "' 2>/dev/null";
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(::popen(command.c_str(), "r"), ::pclose);
    if (!pipe) return {};
    std::string out;
    std::array<char, 512> chunk{};
    while (std::fgets(chunk.data(), chunk.size(), pipe.get())) out += chunk.data();
    return out;
}

std::string Value(const char* variable) {
    return AfterSourcingLayout(std::string("printf %s \"$") + variable + "\"");
}

// The key of a full value path ("HKEY_CURRENT_USER\A\B\Value") as the scripts name it
// ("HKCU\A\B").
std::string ShortKeyOf(const wchar_t* fullValuePath) {
    const std::string path = base::ToUtf8(fullValuePath);
    const std::string hive = "HKEY_CURRENT_USER";
    EXPECT_EQ(path.compare(0, hive.size(), hive), 0) << path;
    return "HKCU" + path.substr(hive.size(), path.rfind('\\') - hive.size());
}

TEST(LayoutScript, KeysAndNamesAreWhatTheProgramsUse) {
    EXPECT_EQ(Value("MURIVALE_KEY"), ShortKeyOf(services::kRegFolderPath));
    EXPECT_EQ(Value("MURIVALE_KEY"), ShortKeyOf(services::kRegBaseFile));
    EXPECT_EQ(Value("MURIVALE_KEY"), ShortKeyOf(services::kRegCurrentFile));
    EXPECT_EQ(Value("MURIVALE_KEY"), ShortKeyOf(services::kRegRunOnStartup));
    EXPECT_EQ(Value("RUN_KEY"), ShortKeyOf(services::kRegLogonEntry));
    const std::string entry = base::ToUtf8(services::kRegLogonEntry);
    EXPECT_EQ(Value("RUN_VALUE"), entry.substr(entry.rfind('\\') + 1));
    EXPECT_EQ(Value("SHELL_WALLPAPER_KEY"), ShortKeyOf(services::kRegDesktopWallpaper));
    EXPECT_EQ(Value("DESKTOP_KEY"), ShortKeyOf(services::kRegControlPanelWallpaper));
    EXPECT_EQ(Value("WALLPAPER_SUFFIX"), base::ToUtf8(services::kWallpaperBitmapSuffix));
    EXPECT_EQ(Value("BASE_SUFFIX"), base::ToUtf8(services::kBaseBitmapSuffix));
    EXPECT_EQ(Value("IMAGE_PATTERNS"), base::ToUtf8(services::kImagePatterns));
}

TEST(LayoutScript, RegSectionGivesTheKeyWithItsHiveInFull) {
    const std::string full = base::ToUtf8(services::kRegFolderPath);
    EXPECT_EQ(AfterSourcingLayout("reg_section \"$MURIVALE_KEY\""),
              full.substr(0, full.rfind('\\')) + "\n");
}

}  // namespace
