// What the toolkit needs from the system it runs on, in four parts: the window system, the
// running process, files and picture decoding. A program's `main` makes one platform (the
// win32 backend's for the real programs, the headless one in the native tests) and installs it
// with a PlatformScope before anything else uses the toolkit; the toolkit's services (App.h,
// FileSystem.h, Image.h) then reach it through CurrentPlatform(). The toolkit's core depends on these
// interfaces only; each backend library implements them on top of the core.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "toolkit/Types.h"

namespace tk {

class Form;
class FormPeer;
class Timer;
struct ByteSpan;
struct ImageInfo;
struct Picture24;

// Windows, timers, the screen, the pointer, message boxes and the event loop.
class WindowSystem {
public:
    virtual ~WindowSystem() = default;

    virtual std::unique_ptr<FormPeer> CreateForm(Form& form) = 0;

    virtual void StartTimer(Timer& timer, int intervalMs) = 0;
    virtual void StopTimer(Timer& timer) = 0;

    virtual SizePx ScreenSize() const = 0;
    virtual int Dpi() const = 0;  // logical pixels per inch of the screen
    // The 0x00BBGGRR value the system gives one of its colours (SystemColor) now.
    virtual Color SystemColorValue(int index) const = 0;
    virtual void SetMousePointer(int pointer) = 0;

    // Modal message box; returns the button pressed (1 OK, 2 Cancel, 6 Yes, 7 No, ...).
    virtual int ShowMessageBox(const std::wstring& text, int style, const std::wstring& title,
                               WindowHandle owner) = 0;

    // Runs pending window events once and returns.
    virtual void DoEvents() = 0;
    // Runs events until Quit is called.
    virtual void RunLoop() = 0;
    virtual void Quit() = 0;
};

// The running program: its identity, other instances of it, and other programs' windows.
class ProcessServices {
public:
    virtual ~ProcessServices() = default;

    // The program's folder (no trailing backslash except at a drive root), title, and the
    // command line after the program's own name.
    virtual std::wstring AppPath() const = 0;
    virtual std::wstring AppTitle() const = 0;
    virtual std::wstring CommandLineTail() const = 0;
    // True when another process of this program is already running.
    virtual bool PreviousInstance() = 0;
    // Brings the top-level window with this title to the front; false when none has it.
    virtual bool ActivateWindow(const std::wstring& title) = 0;
    // Sends keys ("+" a press of Shift, any other character typed) to the active window.
    virtual void SendKeys(const std::wstring& keys, bool wait) = 0;
};

// The file operations of FileSystem.h (tk::fs), as that header describes them.
class Files {
public:
    virtual ~Files() = default;

    virtual std::vector<std::uint8_t> ReadFile(const std::wstring& path) = 0;
    // fs::WriteFileAtomic, for a file made of the parts one after the other.
    virtual void WriteFileAtomic(const std::wstring& path, const std::vector<ByteSpan>& parts) = 0;
    virtual bool FolderExists(const std::wstring& path) = 0;
    virtual bool FileExists(const std::wstring& path) = 0;
    virtual std::vector<std::wstring> ListFiles(const std::wstring& folder,
                                                const std::wstring& patterns) = 0;
    virtual std::vector<std::wstring> ListFolders(const std::wstring& folder) = 0;
};

// Decodes a whole file that ProbeImage accepted, as `info` describes it. With a `reduction`
// above zero (only ever for a JPEG) it may deliver ReducedSize(info.width, info.height,
// reduction) pixels instead of the whole picture; it returns one of the two sizes. Throws
// PictureError. DecodePicture (Image.h) reads and checks the file before it gets here.
class PictureDecoder {
public:
    virtual ~PictureDecoder() = default;
    virtual Picture24 Decode(const std::vector<std::uint8_t>& file, const ImageInfo& info,
                             int reduction) = 0;
};

struct Platform {
    WindowSystem& windows;
    ProcessServices& process;
    Files& files;
    PictureDecoder& pictures;
};

// The platform installed now. Using the toolkit with none installed is a programming error: it
// ends the program with a message.
const Platform& CurrentPlatform();

// Installs a platform for the scope's lifetime (the one before it comes back afterwards).
class PlatformScope {
public:
    explicit PlatformScope(const Platform& platform);
    ~PlatformScope();
    PlatformScope(const PlatformScope&) = delete;
    PlatformScope& operator=(const PlatformScope&) = delete;

private:
    const Platform* previous_;
};

}  // namespace tk
