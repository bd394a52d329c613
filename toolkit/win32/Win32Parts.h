// The parts of the Windows platform: the message pump, timers, the program-wide mouse pointer
// and message boxes (Win32Windows); the program's identity, the instance check, activation and
// keys (Win32Process); files (Win32Files); and the system's picture decoders (Win32Pictures).
// Internal to the Windows backend; programs make the platform through Win32Platform.h.
#pragma once

#include <windows.h>

#include "base/win32/Handles.h"
#include "toolkit/Platform.h"
#include "toolkit/win32/Timers.h"

namespace tk::win32 {

class Win32Windows final : public WindowSystem {
public:
    std::unique_ptr<FormPeer> CreateForm(Form& form) override;
    void StartTimer(Timer& timer, int intervalMs) override;
    void StopTimer(Timer& timer) override;
    SizePx ScreenSize() const override;
    int Dpi() const override;
    Color SystemColorValue(int index) const override;
    void SetMousePointer(int pointer) override;
    int ShowMessageBox(const std::wstring& text, int style, const std::wstring& title,
                       WindowHandle owner) override;
    void DoEvents() override;
    void RunLoop() override;
    void Quit() override;

    // The cursor to show over every window of the program; null for each window's own.
    HCURSOR PointerCursor() const { return pointerCursor_; }
    // A hidden top-level window that owns the forms kept out of the taskbar.
    HWND HiddenOwner();

private:
    void Dispatch(MSG& message);

    TimerHost timers_;
    base::win32::UniqueWindow owner_;
    HCURSOR pointerCursor_ = nullptr;
    bool quit_ = false;
};

class Win32Process final : public ProcessServices {
public:
    // Keys sent with waiting to one of our own windows are handled through `windows`.
    explicit Win32Process(WindowSystem& windows) : windows_(windows) {}

    std::wstring AppPath() const override;
    std::wstring AppTitle() const override;
    std::wstring CommandLineTail() const override;
    bool PreviousInstance() override;
    bool ActivateWindow(const std::wstring& title) override;
    void SendKeys(const std::wstring& keys, bool wait) override;

private:
    void WaitForKeys();

    WindowSystem& windows_;
};

class Win32Files final : public Files {
public:
    std::vector<std::uint8_t> ReadFile(const std::wstring& path) override;
    void WriteFileAtomic(const std::wstring& path, const std::vector<ByteSpan>& parts) override;
    bool FolderExists(const std::wstring& path) override;
    bool FileExists(const std::wstring& path) override;
    std::vector<std::wstring> ListFiles(const std::wstring& folder,
                                        const std::wstring& patterns) override;
    std::vector<std::wstring> ListFolders(const std::wstring& folder) override;
};

// The imaging component, or the OLE picture loader where it is missing or cannot convert
// (SetDecoderPath, ImageDecoder.h, can force either).
class Win32Pictures final : public PictureDecoder {
public:
    Picture24 Decode(const std::vector<std::uint8_t>& file, const ImageInfo& info,
                     int reduction) override;
};

// The four parts together, as Win32Platform hands them out.
struct Win32Parts {
    Win32Windows windows;
    Win32Process process{windows};
    Win32Files files;
    Win32Pictures pictures;
    Platform platform{windows, process, files, pictures};
};

}  // namespace tk::win32
