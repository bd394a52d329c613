// A Murivale run on the headless backend: a throw-away folder of the host stands for drives C:
// and D:, the Windows functions are the recording fake (with real files), and the configuration
// is arranged as the setup program leaves it.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <set>
#include <string>

#include "base/Text.h"
#include "selector/frmBG.h"
#include "selector/modMain.h"
#include "tests/fakes/FakeWinApi.h"
#include "toolkit/App.h"
#include "toolkit/FileSystem.h"
#include "toolkit/Image.h"
#include "toolkit/headless/Headless.h"
#include "toolkit/headless/HostPaths.h"

namespace testing_support {

// The fake, with FileExists and RemoveFile acting on the real (mapped) files, so that what the
// picture saver writes is what the program later finds and deletes.
class HostFilesWinApi : public fakes::FakeWinApi {
public:
    bool FileExists(const std::wstring& path) override {
        FakeWinApi::FileExists(path);  // for the call log
        return tk::fs::FileExists(path);
    }
    bool RemoveFile(const std::wstring& path) override {
        FakeWinApi::RemoveFile(path);
        if (locked.count(path)) return false;
        std::error_code error;
        return std::filesystem::remove(tk::headless::HostPath(path), error);
    }
    // Runs as the wallpaper call is made, to see what is on the screen at that moment.
    int SystemParametersInfoA(std::uint32_t action, std::uint32_t uiParam,
                              const std::wstring& pvParam, std::uint32_t fWinIni) override {
        if (onWallpaperCall) onWallpaperCall();
        return FakeWinApi::SystemParametersInfoA(action, uiParam, pvParam, fWinIni);
    }
    std::set<std::wstring> locked;
    std::function<void()> onWallpaperCall;
};

class TempFolder {
public:
    TempFolder() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "murivale-test-XXXXXX").string();
        path_ = mkdtemp(pattern.data());
    }
    ~TempFolder() {
        std::error_code error;
        std::filesystem::remove_all(path_, error);
    }
    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

class MurivaleTest : public ::testing::Test {
protected:
    void SetUp() override {
        tk::headless::Reset();
        tk::headless::ClearDriveMappings();
        for (const char* drive : {"C", "D"}) {
            std::filesystem::create_directories(temp.path() / drive);
            tk::headless::MapDrive(static_cast<wchar_t>(drive[0]), (temp.path() / drive).string());
        }
        MakeFolder(L"C:\\Murivale");
        MakeFolder(L"C:\\WINDOWS");
        api.SetVersion(2, 5, 1, 1);  // the workstation release of the 2000 family
        api.userName = L"alice";
        tk::headless::SetAppInfo(L"C:\\Murivale", L"Murivale", L"");
        selector::StartProgram(api);
    }

    void TearDown() override {
        choice.reset();
        selector::EndProgram();
        tk::headless::ClearDriveMappings();
    }

    std::filesystem::path Host(const std::wstring& path) const {
        return tk::headless::HostPath(path);
    }
    void MakeFolder(const std::wstring& path) { std::filesystem::create_directories(Host(path)); }

    // A picture file: a bitmap inside whatever name it is given (the loader goes by content).
    void AddImage(const std::wstring& path, int width = 32, int height = 24,
                  std::uint32_t pixel = 0x336699) {
        MakeFolder(path.substr(0, path.rfind(L'\\')));
        tk::SaveBitmapFile(tk::Bitmap(width, height, pixel), path);
    }
    void AddFile(const std::wstring& path, const std::string& content) {
        MakeFolder(path.substr(0, path.rfind(L'\\')));
        tk::fs::WriteFileAtomic(path, std::vector<std::uint8_t>(content.begin(), content.end()));
    }
    bool Exists(const std::wstring& path) const { return std::filesystem::exists(Host(path)); }

    // The configuration the setup program writes, with a folder of `images` pictures.
    void Configure(const std::wstring& folder = L"D:\\Pics\\",
                   const std::wstring& base = L"C:\\Murivale\\alice_Base.bmp") {
        api.SetString(selector::kRegFolderPath, folder);
        api.SetString(selector::kRegBaseFile, base);
        if (!base.empty() && base.size() > 3 && base[1] == L':') AddImage(base, 16, 16, 0x00AA00);
        MakeFolder(folder.empty() ? L"D:\\Pics" : folder);
    }

    // Starts Murivale with this command-line tail; the choice window is `choice`.
    void Start(const std::wstring& commandLine = L"") {
        tk::headless::SetAppInfo(L"C:\\Murivale", L"Murivale", commandLine);
        choice = std::make_unique<selector::frmBG>();
        tk::Run(*choice);
    }

    selector::Program& program() { return selector::Murivale(); }
    selector::SessionState& state() { return selector::Murivale().state; }

    TempFolder temp;
    HostFilesWinApi api;
    std::unique_ptr<selector::frmBG> choice;
};

}  // namespace testing_support
