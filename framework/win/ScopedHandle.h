#pragma once
// One owner for every kind of handle. The traits name the handle type, say which values hold
// nothing and give a handle back; traits that need more than the handle to do that (the window
// a DC came from) carry it and move with the handle.
#include <windows.h>
#include <oleauto.h>

#include <utility>

template <class Traits>
class ScopedHandle {
public:
    using Handle = typename Traits::Handle;

    ScopedHandle() = default;
    explicit ScopedHandle(Handle handle, Traits traits = Traits()) : traits_(std::move(traits)), handle_(handle) {}
    ~ScopedHandle() { Reset(); }
    ScopedHandle(const ScopedHandle&) = delete;
    ScopedHandle& operator=(const ScopedHandle&) = delete;
    ScopedHandle(ScopedHandle&& other) noexcept : traits_(other.traits_), handle_(other.Release()) {}
    ScopedHandle& operator=(ScopedHandle&& other) noexcept {
        if (this != &other) {
            Reset();
            traits_ = other.traits_;
            handle_ = other.Release();
        }
        return *this;
    }

    void Reset(Handle handle = Handle()) {
        if (Traits::IsValid(handle_) && handle_ != handle)
            traits_.Close(handle_);
        handle_ = handle;
    }
    Handle Release() { return std::exchange(handle_, Handle()); }
    // For functions that hand out a new handle through a pointer; closes the one held first.
    Handle* Receive() {
        Reset();
        return &handle_;
    }
    Handle Get() const { return handle_; }
    operator Handle() const { return handle_; }
    explicit operator bool() const { return Traits::IsValid(handle_); }

protected:
    Traits& traits() { return traits_; }

private:
    Traits traits_;
    Handle handle_ = Handle();
};

// Handles for which null holds nothing, given back by one function.
template <class T, auto kFree>
struct NullIsEmptyTraits {
    using Handle = T;
    static bool IsValid(T handle) { return handle != nullptr; }
    static void Close(T handle) { kFree(handle); }
};

// Kernel objects: events, mutexes, threads, processes, files; and searches started by
// FindFirstFile. Both null and INVALID_HANDLE_VALUE (what they return on failure) hold nothing.
template <auto kFree>
struct InvalidIsEmptyTraits {
    using Handle = HANDLE;
    static bool IsValid(HANDLE handle) { return handle && handle != INVALID_HANDLE_VALUE; }
    static void Close(HANDLE handle) { kFree(handle); }
};
using KernelHandleTraits = InvalidIsEmptyTraits<::CloseHandle>;
using ScopedKernelHandle = ScopedHandle<KernelHandleTraits>;
using ScopedFindHandle = ScopedHandle<InvalidIsEmptyTraits<::FindClose>>;

// Registry keys opened or created by this process (never the predefined roots).
using ScopedRegKey = ScopedHandle<NullIsEmptyTraits<HKEY, ::RegCloseKey>>;
// Menus made or loaded by this process and not attached to a window (a window destroys its own).
using ScopedMenu = ScopedHandle<NullIsEmptyTraits<HMENU, ::DestroyMenu>>;
// Modules loaded by LoadLibrary (never one taken from GetModuleHandle).
using ScopedModule = ScopedHandle<NullIsEmptyTraits<HMODULE, ::FreeLibrary>>;
// Memory that an API hands out to be given back with LocalFree (CommandLineToArgvW,
// FormatMessage with FORMAT_MESSAGE_ALLOCATE_BUFFER), typed as the API returns it.
template <class T>
using ScopedLocalMemory = ScopedHandle<NullIsEmptyTraits<T, ::LocalFree>>;
// Strings of the COM allocator (null is the empty string).
using BstrTraits = NullIsEmptyTraits<BSTR, ::SysFreeString>;
