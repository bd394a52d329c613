// Owners of Windows handles and COM interface pointers, for every part of the program that runs
// on Windows (the common services and the toolkit's Windows backend).
//
// Each owner is move-only and frees what it holds exactly once: when it goes out of scope, when
// it is reset, or when a new value is written through Put(). Release() hands the handle over to
// a caller or to the system (a region given to SetWindowRgn, for example, belongs to the window).
#pragma once

#include <windows.h>
#include <objbase.h>

#include <utility>

namespace base::win32 {

// Owns one handle described by Traits: its Type, its "no handle" value (Invalid) and the call
// that frees it (Close).
template <typename Traits>
class UniqueHandle {
public:
    using Type = typename Traits::Type;

    UniqueHandle() = default;
    explicit UniqueHandle(Type handle) : handle_(handle) {}
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.Release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other) Reset(other.Release());
        return *this;
    }
    ~UniqueHandle() { Reset(); }

    Type Get() const { return handle_; }
    explicit operator bool() const { return handle_ != Traits::Invalid(); }

    // Where a creating call writes the new handle; any handle held so far is freed first.
    Type* Put() {
        Reset();
        return &handle_;
    }

    Type Release() { return std::exchange(handle_, Traits::Invalid()); }

    // Takes `handle` and frees the one held before, if any (after letting go of it, so that a
    // Close that calls back into its owner finds the new state).
    void Reset(Type handle = Traits::Invalid()) {
        const Type old = std::exchange(handle_, handle);
        if (old != Traits::Invalid()) Traits::Close(old);
    }

private:
    Type handle_ = Traits::Invalid();
};

// Traits for handles that are null when there is none.
template <typename T, auto CloseFunction>
struct NullHandleTraits {
    using Type = T;
    static Type Invalid() { return nullptr; }
    static void Close(Type handle) { CloseFunction(handle); }
};

// Traits for handles that are INVALID_HANDLE_VALUE when there is none (files, searches).
template <auto CloseFunction>
struct InvalidValueHandleTraits {
    using Type = HANDLE;
    static Type Invalid() { return INVALID_HANDLE_VALUE; }
    static void Close(Type handle) { CloseFunction(handle); }
};

template <typename GdiType>
using GdiObjectTraits = NullHandleTraits<GdiType, ::DeleteObject>;

// A registry key opened or created by the program (never one of the predefined roots).
using UniqueHKey = UniqueHandle<NullHandleTraits<HKEY, ::RegCloseKey>>;
// Kernel objects that are null when there is none: mutexes, events, processes.
using UniqueKernelHandle = UniqueHandle<NullHandleTraits<HANDLE, ::CloseHandle>>;
// A file from CreateFileT (or CreateFile).
using UniqueFile = UniqueHandle<InvalidValueHandleTraits<::CloseHandle>>;
// A search from FindFirstFileT (or FindFirstFile).
using UniqueFind = UniqueHandle<InvalidValueHandleTraits<::FindClose>>;
// Memory from GlobalAlloc.
using UniqueGlobal = UniqueHandle<NullHandleTraits<HGLOBAL, ::GlobalFree>>;
// A window the program created and destroys itself.
using UniqueWindow = UniqueHandle<NullHandleTraits<HWND, ::DestroyWindow>>;
// An icon that is not shared (not loaded with LR_SHARED).
using UniqueIcon = UniqueHandle<NullHandleTraits<HICON, ::DestroyIcon>>;
// A device context from CreateCompatibleDC.
using UniqueMemoryDc = UniqueHandle<NullHandleTraits<HDC, ::DeleteDC>>;
// GDI objects, freed with DeleteObject: never while selected into a device context.
using UniqueBitmap = UniqueHandle<GdiObjectTraits<HBITMAP>>;
using UniqueBrush = UniqueHandle<GdiObjectTraits<HBRUSH>>;
using UniqueFont = UniqueHandle<GdiObjectTraits<HFONT>>;
using UniquePen = UniqueHandle<GdiObjectTraits<HPEN>>;

// Owns one reference to a COM interface.
template <typename T>
struct ComReleaseTraits {
    using Type = T*;
    static Type Invalid() { return nullptr; }
    static void Close(Type object) { object->Release(); }
};

template <typename T>
class ComPtr : public UniqueHandle<ComReleaseTraits<T>> {
public:
    T* operator->() const { return this->Get(); }
    // Put() as the void** that QueryInterface-style calls take.
    void** PutVoid() { return reinterpret_cast<void**>(this->Put()); }
};

// A device context borrowed with GetDC (null window: the screen) and given back with ReleaseDC.
class WindowDc {
public:
    explicit WindowDc(HWND window) : window_(window), dc_(::GetDC(window)) {}
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;
    ~WindowDc() {
        if (dc_) ::ReleaseDC(window_, dc_);
    }

    HDC Get() const { return dc_; }

private:
    HWND window_;
    HDC dc_;
};

// BeginPaint and EndPaint as a pair, for WM_PAINT.
class PaintScope {
public:
    explicit PaintScope(HWND window) : window_(window) { dc_ = ::BeginPaint(window, &ps_); }
    PaintScope(const PaintScope&) = delete;
    PaintScope& operator=(const PaintScope&) = delete;
    ~PaintScope() { ::EndPaint(window_, &ps_); }

    HDC Dc() const { return dc_; }
    const RECT& Area() const { return ps_.rcPaint; }

private:
    HWND window_;
    PAINTSTRUCT ps_{};
    HDC dc_ = nullptr;
};

// Selects a GDI object into a device context for the life of the scope, then puts back the one
// it replaced. Nothing is put back when the selection failed.
class SelectScope {
public:
    SelectScope(HDC dc, HGDIOBJ object) : dc_(dc), old_(::SelectObject(dc, object)) {}
    SelectScope(const SelectScope&) = delete;
    SelectScope& operator=(const SelectScope&) = delete;
    ~SelectScope() {
        if (old_ != nullptr && old_ != HGDI_ERROR) ::SelectObject(dc_, old_);
    }

private:
    HDC dc_;
    HGDIOBJ old_;
};

}  // namespace base::win32
