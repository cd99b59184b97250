// Owners for Windows handles: each handle is closed exactly once, on every path.
#pragma once

#include <windows.h>
#include <unknwn.h>

#include <utility>

template <typename T, auto Closer>
class Owned {
public:
    Owned() = default;
    explicit Owned(T handle) : handle_(handle) {}
    ~Owned() { reset(); }
    Owned(Owned&& other) noexcept : handle_(std::exchange(other.handle_, T{})) {}
    Owned& operator=(Owned&& other) noexcept
    {
        if (this != &other) {
            reset();
            handle_ = std::exchange(other.handle_, T{});
        }
        return *this;
    }
    Owned(const Owned&) = delete;
    Owned& operator=(const Owned&) = delete;

    T get() const { return handle_; }
    // For the out-parameter of an opening call: closes what is held first.
    T* put()
    {
        reset();
        return &handle_;
    }
    explicit operator bool() const { return handle_ != T{}; }
    void reset(T handle = T{})
    {
        if (handle_ != T{}) Closer(handle_);
        handle_ = handle;
    }
    T release() { return std::exchange(handle_, T{}); }

private:
    T handle_{};
};

inline void Closekey(HKEY key) { RegCloseKey(key); }
inline void Closehandle(HANDLE handle) { CloseHandle(handle); }
inline void Closefind(HANDLE search) { FindClose(search); }
inline void Unmapview(void* view) { UnmapViewOfFile(view); }
inline void Destroywindow(HWND window) { DestroyWindow(window); }

using Regkey = Owned<HKEY, Closekey>;
// A COM interface pointer, released once.
inline void Releasecom(IUnknown* object) { object->Release(); }
template <typename Interface>
using Com = Owned<Interface*, Releasecom>;
using Kernelhandle = Owned<HANDLE, Closehandle>;
// A search of FindFirstFileW, closed with FindClose.
using Findhandle = Owned<HANDLE, Closefind>;
// A view of MapViewOfFile.
using Mappedview = Owned<void*, Unmapview>;
// A window this code made and no window procedure ends (a helper window for a message).
using Windowhandle = Owned<HWND, Destroywindow>;

// CreateFile reports failure as INVALID_HANDLE_VALUE, not null: fold it into the empty owner.
inline Kernelhandle Ownfile(HANDLE file)
{
    return Kernelhandle(file == INVALID_HANDLE_VALUE ? nullptr : file);
}
// So does FindFirstFile.
inline Findhandle Ownfind(HANDLE search)
{
    return Findhandle(search == INVALID_HANDLE_VALUE ? nullptr : search);
}
