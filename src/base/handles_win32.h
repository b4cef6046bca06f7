#pragma once
// One move-only owner for every kind of Windows handle and GDI object.
#include <windows.h>

#include <utility>

namespace zv {

template <typename T, typename Traits>
class UniqueAny {
public:
    UniqueAny() noexcept : value_(Traits::Invalid()) {}
    explicit UniqueAny(T value) noexcept : value_(value) {}
    UniqueAny(UniqueAny&& other) noexcept : value_(other.release()) {}
    UniqueAny& operator=(UniqueAny&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }
    UniqueAny(const UniqueAny&) = delete;
    UniqueAny& operator=(const UniqueAny&) = delete;
    ~UniqueAny() { reset(); }

    T get() const noexcept { return value_; }
    explicit operator bool() const noexcept { return value_ != Traits::Invalid(); }
    T release() noexcept { return std::exchange(value_, Traits::Invalid()); }
    void reset(T value = Traits::Invalid()) noexcept {
        T old = std::exchange(value_, value);
        if (old != Traits::Invalid()) Traits::Close(old);
    }

private:
    T value_;
};

struct FileTraits {
    static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
    static void Close(HANDLE h) { CloseHandle(h); }
};
// Handles that are null when invalid: threads, events.
struct HandleTraits {
    static HANDLE Invalid() { return nullptr; }
    static void Close(HANDLE h) { CloseHandle(h); }
};
struct FindTraits {
    static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
    static void Close(HANDLE h) { FindClose(h); }
};
template <typename G>
struct GdiTraits {
    static G Invalid() { return nullptr; }
    static void Close(G h) { DeleteObject(h); }
};
struct IconTraits {
    static HICON Invalid() { return nullptr; }
    static void Close(HICON h) { DestroyIcon(h); }
};
struct EnhMetaFileTraits {
    static HENHMETAFILE Invalid() { return nullptr; }
    static void Close(HENHMETAFILE h) { DeleteEnhMetaFile(h); }
};
struct MemoryDcTraits {
    static HDC Invalid() { return nullptr; }
    static void Close(HDC h) { DeleteDC(h); }
};
struct WindowTraits {
    static HWND Invalid() { return nullptr; }
    static void Close(HWND h) { DestroyWindow(h); }
};
struct ModuleTraits {
    static HMODULE Invalid() { return nullptr; }
    static void Close(HMODULE h) { FreeLibrary(h); }
};

using UniqueFile = UniqueAny<HANDLE, FileTraits>;
using UniqueFind = UniqueAny<HANDLE, FindTraits>;
using UniqueHandle = UniqueAny<HANDLE, HandleTraits>;
using UniqueBitmap = UniqueAny<HBITMAP, GdiTraits<HBITMAP>>;
using UniqueFont = UniqueAny<HFONT, GdiTraits<HFONT>>;
using UniquePalette = UniqueAny<HPALETTE, GdiTraits<HPALETTE>>;
using UniqueBrush = UniqueAny<HBRUSH, GdiTraits<HBRUSH>>;
using UniqueIcon = UniqueAny<HICON, IconTraits>;
using UniqueEnhMetaFile = UniqueAny<HENHMETAFILE, EnhMetaFileTraits>;
using UniqueMemoryDc = UniqueAny<HDC, MemoryDcTraits>;
using UniqueWindow = UniqueAny<HWND, WindowTraits>;
using UniqueModule = UniqueAny<HMODULE, ModuleTraits>;

// Selects an object into a DC for the lifetime of the scope.
class ScopedSelectObject {
public:
    ScopedSelectObject(HDC dc, HGDIOBJ object) noexcept : dc_(dc), old_(SelectObject(dc, object)) {}
    ~ScopedSelectObject() {
        if (old_) SelectObject(dc_, old_);
    }
    ScopedSelectObject(const ScopedSelectObject&) = delete;
    ScopedSelectObject& operator=(const ScopedSelectObject&) = delete;

private:
    HDC dc_;
    HGDIOBJ old_;
};

// A window DC from GetDC, released at the end of the scope.
class ScopedWindowDc {
public:
    explicit ScopedWindowDc(HWND hwnd) noexcept : hwnd_(hwnd), dc_(GetDC(hwnd)) {}
    ~ScopedWindowDc() {
        if (dc_) ReleaseDC(hwnd_, dc_);
    }
    ScopedWindowDc(const ScopedWindowDc&) = delete;
    ScopedWindowDc& operator=(const ScopedWindowDc&) = delete;
    HDC get() const noexcept { return dc_; }

private:
    HWND hwnd_;
    HDC dc_;
};

}  // namespace zv
