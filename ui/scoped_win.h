#pragma once

// Small owners for Win32 handles, so every path releases what it made.

#include <windows.h>

#include <utility>

template <typename Handle, auto destroy, Handle empty = Handle{}>
class Scoped {
public:
    Scoped() = default;
    explicit Scoped(Handle handle) : handle_(handle) {}
    ~Scoped() { reset(); }
    Scoped(Scoped&& other) noexcept : handle_(std::exchange(other.handle_, empty)) {}
    Scoped& operator=(Scoped&& other) noexcept {
        if (this != &other) {
            reset();
            handle_ = std::exchange(other.handle_, empty);
        }
        return *this;
    }
    Scoped(const Scoped&) = delete;
    Scoped& operator=(const Scoped&) = delete;

    Handle get() const { return handle_; }
    explicit operator bool() const { return handle_ != empty; }
    Handle release() { return std::exchange(handle_, empty); }
    void reset(Handle handle = empty) {
        if (handle_ != empty) destroy(handle_);
        handle_ = handle;
    }

private:
    Handle handle_ = empty;
};

inline void closeHandle(HANDLE handle) { CloseHandle(handle); }
inline void deleteGdiObject(HGDIOBJ object) { DeleteObject(object); }
inline void destroyIcon(HICON icon) { DestroyIcon(icon); }
inline void destroyCursor(HCURSOR cursor) { DestroyCursor(cursor); }
inline void freeLibrary(HMODULE module) { FreeLibrary(module); }
inline void deleteDc(HDC dc) { DeleteDC(dc); }
inline void closeKey(HKEY key) { RegCloseKey(key); }
inline void destroyWindow(HWND window) { DestroyWindow(window); }

using ScopedHandle = Scoped<HANDLE, closeHandle>;
using ScopedBrush = Scoped<HBRUSH, deleteGdiObject>;
using ScopedBitmap = Scoped<HBITMAP, deleteGdiObject>;
using ScopedIcon = Scoped<HICON, destroyIcon>;
using ScopedCursor = Scoped<HCURSOR, destroyCursor>;
using ScopedLibrary = Scoped<HMODULE, freeLibrary>;
using ScopedMemoryDc = Scoped<HDC, deleteDc>;
using ScopedKey = Scoped<HKEY, closeKey>;
using ScopedWindow = Scoped<HWND, destroyWindow>;

// BeginPaint/EndPaint for one WM_PAINT.
class PaintScope {
public:
    explicit PaintScope(HWND window) : window_(window) { dc_ = BeginPaint(window, &paint_); }
    ~PaintScope() { EndPaint(window_, &paint_); }
    PaintScope(const PaintScope&) = delete;
    PaintScope& operator=(const PaintScope&) = delete;

    HDC dc() const { return dc_; }
    const RECT& area() const { return paint_.rcPaint; }

private:
    HWND window_;
    PAINTSTRUCT paint_{};
    HDC dc_;
};

// GetDC/ReleaseDC: a window's DC outside painting.
class WindowDc {
public:
    explicit WindowDc(HWND window) : window_(window), dc_(GetDC(window)) {}
    ~WindowDc() {
        if (dc_) ReleaseDC(window_, dc_);
    }
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;

    HDC get() const { return dc_; }

private:
    HWND window_;
    HDC dc_;
};

// An object selected into a DC, and put back when the scope ends.
class SelectedObject {
public:
    SelectedObject(HDC dc, HGDIOBJ object) : dc_(dc), previous_(SelectObject(dc, object)) {}
    ~SelectedObject() { SelectObject(dc_, previous_); }
    SelectedObject(const SelectedObject&) = delete;
    SelectedObject& operator=(const SelectedObject&) = delete;

private:
    HDC dc_;
    HGDIOBJ previous_;
};

// A COM interface pointer, released when the holder goes.
template <typename Interface>
class ComPtr {
public:
    ComPtr() = default;
    ~ComPtr() { reset(); }
    ComPtr(ComPtr&& other) noexcept : pointer_(std::exchange(other.pointer_, nullptr)) {}
    ComPtr& operator=(ComPtr&& other) noexcept {
        if (this != &other) {
            reset();
            pointer_ = std::exchange(other.pointer_, nullptr);
        }
        return *this;
    }
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;

    Interface* get() const { return pointer_; }
    Interface* operator->() const { return pointer_; }
    explicit operator bool() const { return pointer_ != nullptr; }
    // For calls that hand out a new reference.
    Interface** put() {
        reset();
        return &pointer_;
    }
    void reset() {
        if (pointer_) std::exchange(pointer_, nullptr)->Release();
    }

private:
    Interface* pointer_ = nullptr;
};
