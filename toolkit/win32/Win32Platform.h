// The platform that shows forms as real windows and works on the system's files. A program's
// `main` makes one Win32Platform and installs it (tk::PlatformScope) for its whole run. This
// header needs no Windows header: the parts live in the backend (Win32Parts.h).
#pragma once

#include <memory>

namespace tk {
struct Platform;
}

namespace tk::win32 {

struct Win32Parts;

class Win32Platform {
public:
    // Also tells the system never to stop the program with a box of its own when a drive has no
    // medium or a file is not found: the program's own code answers those failures.
    Win32Platform();
    ~Win32Platform();
    Win32Platform(const Win32Platform&) = delete;
    Win32Platform& operator=(const Win32Platform&) = delete;

    const Platform& Get() const;

private:
    std::unique_ptr<Win32Parts> parts_;
};

}  // namespace tk::win32
