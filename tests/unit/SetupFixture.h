// A Tessaban run on the headless backend: a throw-away folder of the host stands for drives C:
// and D:, the program lies in C:\Tools, and the Windows functions are the recording fake (with
// FileExists acting on the real, mapped files, so that the wallpaper the test puts down is the
// one the setup window finds).
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "setup/frmConfig.h"
#include "setup/modConfig.h"
#include "tests/fakes/FakeWinApi.h"
#include "tests/unit/ProgramFixture.h"  // HostFilesWinApi, TempFolder
#include "toolkit/App.h"
#include "toolkit/FileSystem.h"
#include "toolkit/Image.h"
#include "toolkit/headless/Headless.h"
#include "toolkit/headless/HostPaths.h"

namespace testing_support {

class TessabanTest : public ::testing::Test {
protected:
    void SetUp() override { Fresh(); }

    void TearDown() override {
        Close();
        setup::EndSetup();
        tk::headless::ClearDriveMappings();
    }

    // A fresh program: empty drives C: and D: (C: holding Tools and WINDOWS), an empty registry,
    // the workstation release of the 2000 family, user alice. Table-driven cases call it again
    // between rows.
    void Fresh() {
        Close();
        tk::headless::Reset();
        tk::headless::ClearDriveMappings();
        for (const char* drive : {"C", "D"}) {
            const std::filesystem::path folder = temp.path() / drive;
            std::error_code error;
            std::filesystem::remove_all(folder, error);
            std::filesystem::create_directories(folder);
            tk::headless::MapDrive(static_cast<wchar_t>(drive[0]), folder.string());
        }
        api = std::make_unique<HostFilesWinApi>();
        api->SetVersion(2, 5, 1, 1);
        api->userName = L"alice";
        api->profilePath = L"C:\\Documents and Settings\\alice";
        api->windowsDir = L"C:\\WINDOWS";
        MakeFolder(L"C:\\Tools");
        MakeFolder(L"C:\\WINDOWS");
        tk::headless::SetAppInfo(L"C:\\Tools", L"Tessaban", L"");
        setup::StartSetup(*api);
    }

    // Starts Tessaban: its window loads (reading the configuration) and is shown.
    void Open() {
        form = std::make_unique<setup::frmConfig>();
        tk::Run(*form);
    }
    void Close() {
        if (form && form->IsLoaded()) form->Unload();
        form.reset();
    }

    // Presses "Accept and Save" as the user would.
    void Save() { form->cmdSet.OnUserPress(); }

    // The user opens the folder `path` in the folder list (a double-click on its entry).
    void OpenFolderInList(const std::wstring& path) {
        const auto& entries = form->dirPath.Entries();
        for (std::size_t i = 0; i < entries.size(); ++i) {
            if (entries[i].path == path) {
                form->dirPath.OnUserOpen(static_cast<int>(i));
                return;
            }
        }
        ADD_FAILURE() << "the folder list shows no entry " << base::ToUtf8(path);
    }

    // --- files ----------------------------------------------------------------------------------
    std::filesystem::path Host(const std::wstring& path) const {
        return tk::headless::HostPath(path);
    }
    void MakeFolder(const std::wstring& path) { std::filesystem::create_directories(Host(path)); }
    bool Exists(const std::wstring& path) const { return std::filesystem::exists(Host(path)); }

    // A picture whose pixels all differ, so that a copy can be told from any other picture.
    static tk::Bitmap Picture(int width, int height, std::uint32_t seed) {
        tk::Bitmap bitmap(width, height);
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                bitmap.at(x, y) = (seed + static_cast<std::uint32_t>(x) * 0x000301u +
                                   static_cast<std::uint32_t>(y) * 0x050007u) & 0xFFFFFFu;
            }
        }
        return bitmap;
    }
    // A picture file: a bitmap inside whatever name it is given (the loader goes by content).
    void AddImage(const std::wstring& path, const tk::Bitmap& picture) {
        MakeFolder(path.substr(0, path.rfind(L'\\')));
        tk::SaveBitmapFile(picture, path);
    }
    void AddImage(const std::wstring& path) { AddImage(path, tk::Bitmap(4, 3, 0x336699)); }
    void AddFile(const std::wstring& path, const std::string& content) {
        MakeFolder(path.substr(0, path.rfind(L'\\')));
        tk::fs::WriteFileAtomic(path, std::vector<std::uint8_t>(content.begin(), content.end()));
    }
    // `count` picture files a1.jpg, a2.jpg, ... in `folder`.
    void AddImages(const std::wstring& folder, int count) {
        for (int i = 1; i <= count; ++i) AddImage(folder + L"\\a" + std::to_wstring(i) + L".jpg");
    }
    tk::Bitmap Decoded(const std::wstring& path) const { return tk::DecodeImageFile(path); }

    // --- registry -------------------------------------------------------------------------------
    // What the program changed in the registry since the call log was last cleared, in order:
    // "<value path> = <text>" for a write and "delete <value path>" for a deletion.
    std::vector<std::wstring> Changes() const {
        std::vector<std::wstring> changes;
        for (const std::wstring& call : api->calls) {
            const bool write = call.rfind(L"RegSetString(", 0) == 0;
            const bool remove = call.rfind(L"RegRemoveValue(", 0) == 0;
            if (!write && !remove) continue;
            // Root, "key", "name"[, "value"]: keys and names hold no quotation marks.
            std::wstring rest = call.substr(call.find(L'(') + 1);
            rest.pop_back();  // ')'
            const std::size_t keyStart = rest.find(L", \"");
            const std::wstring root = rest.substr(0, keyStart);
            const std::size_t keyEnd = rest.find(L"\", \"", keyStart + 3);
            const std::wstring key = rest.substr(keyStart + 3, keyEnd - keyStart - 3);
            const std::size_t nameStart = keyEnd + 4;
            std::size_t nameEnd = write ? rest.find(L"\", \"", nameStart) : rest.size() - 1;
            const std::wstring name = rest.substr(nameStart, nameEnd - nameStart);
            const std::wstring path = root + L"\\" + key + L"\\" + name;
            if (write) {
                std::wstring value = rest.substr(nameEnd + 4);
                value.pop_back();  // closing quotation mark
                changes.push_back(Set(path, value));
            } else {
                changes.push_back(Deleted(path));
            }
        }
        return changes;
    }
    static std::wstring Set(const std::wstring& path, const std::wstring& value) {
        return path + L" = " + value;
    }
    static std::wstring Deleted(const std::wstring& path) { return L"delete " + path; }
    void ForgetCalls() { api->calls.clear(); }

    // The configuration as a previous save leaves it, with the folder holding `images` pictures.
    void Configure(const std::wstring& folder = L"D:\\Pics\\", int images = 2,
                   const std::wstring& runOnStartup = L"0") {
        MakeFolder(folder);
        AddImages(folder.substr(0, folder.size() - 1), images);
        api->SetString(setup::kRegFolderPath, folder);
        api->SetString(setup::kRegBaseFile, L"C:\\Tools\\alice_Base.bmp");
        api->SetString(setup::kRegCurrentFile, folder + L"a1.jpg");
        api->SetString(setup::kRegRunOnStartup, runOnStartup);
    }

    setup::SetupState& state() { return setup::Setup().state; }

    TempFolder temp;
    std::unique_ptr<HostFilesWinApi> api;
    std::unique_ptr<setup::frmConfig> form;
};

}  // namespace testing_support
