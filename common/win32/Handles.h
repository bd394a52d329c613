// Move-only owners of Windows handles: each frees its handle once, when it goes out of scope.
// Copying is not allowed, so nothing is freed twice; Release() hands the handle over to a caller
// or to the system (for example a region given to SetWindowRgn belongs to the window).
#pragma once

#include <windows.h>

#include <utility>

namespace common::win32 {

template <typename HandleType, typename Traits>
class UniqueHandle {
public:
    UniqueHandle() = default;
    explicit UniqueHandle(HandleType handle) : handle_(handle) {}
    ~UniqueHandle() { Reset(); }

    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.Release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other) {
            Reset(other.Release());
        }
        return *this;
    }

    HandleType Get() const { return handle_; }
    explicit operator bool() const { return handle_ != Traits::Invalid(); }

    // Where a creating call writes the new handle; any handle held so far is freed first.
    HandleType* Put() {
        Reset();
        return &handle_;
    }

    HandleType Release() { return std::exchange(handle_, Traits::Invalid()); }

    void Reset(HandleType handle = Traits::Invalid()) {
        if (handle_ != Traits::Invalid()) {
            Traits::Close(handle_);
        }
        handle_ = handle;
    }

private:
    HandleType handle_ = Traits::Invalid();
};

struct HKeyTraits {
    static HKEY Invalid() { return nullptr; }
    static void Close(HKEY key) { ::RegCloseKey(key); }
};

template <typename GdiType>
struct GdiObjectTraits {
    static GdiType Invalid() { return nullptr; }
    static void Close(GdiType object) { ::DeleteObject(object); }
};

struct KernelHandleTraits {
    static HANDLE Invalid() { return nullptr; }
    static void Close(HANDLE handle) { ::CloseHandle(handle); }
};

struct FindHandleTraits {
    static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
    static void Close(HANDLE handle) { ::FindClose(handle); }
};

// A registry key opened or created by the program (never one of the predefined roots).
using UniqueHKey = UniqueHandle<HKEY, HKeyTraits>;
// GDI objects freed with DeleteObject.
using UniqueHRgn = UniqueHandle<HRGN, GdiObjectTraits<HRGN>>;
using UniqueHBitmap = UniqueHandle<HBITMAP, GdiObjectTraits<HBITMAP>>;
using UniqueHFont = UniqueHandle<HFONT, GdiObjectTraits<HFONT>>;
using UniqueHBrush = UniqueHandle<HBRUSH, GdiObjectTraits<HBRUSH>>;
// Kernel objects closed with CloseHandle (0 means none).
using UniqueKernelHandle = UniqueHandle<HANDLE, KernelHandleTraits>;
// A FindFirstFile search (INVALID_HANDLE_VALUE means none).
using UniqueFindHandle = UniqueHandle<HANDLE, FindHandleTraits>;

}  // namespace common::win32
