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

// Kernel objects: events, mutexes, threads, processes, files. Both null and
// INVALID_HANDLE_VALUE (what CreateFile returns on failure) hold nothing.
struct KernelHandleTraits {
    using Handle = HANDLE;
    static bool IsValid(HANDLE handle) { return handle && handle != INVALID_HANDLE_VALUE; }
    static void Close(HANDLE handle) { ::CloseHandle(handle); }
};
using ScopedKernelHandle = ScopedHandle<KernelHandleTraits>;

// Registry keys opened or created by this process (never the predefined roots).
struct RegKeyTraits {
    using Handle = HKEY;
    static bool IsValid(HKEY key) { return key != nullptr; }
    static void Close(HKEY key) { ::RegCloseKey(key); }
};
using ScopedRegKey = ScopedHandle<RegKeyTraits>;

// Menus made by this process and attached to no window.
struct MenuTraits {
    using Handle = HMENU;
    static bool IsValid(HMENU menu) { return menu != nullptr; }
    static void Close(HMENU menu) { ::DestroyMenu(menu); }
};
using ScopedMenu = ScopedHandle<MenuTraits>;

// Searches started by FindFirstFile, which reports failure as INVALID_HANDLE_VALUE.
struct FindHandleTraits {
    using Handle = HANDLE;
    static bool IsValid(HANDLE search) { return search && search != INVALID_HANDLE_VALUE; }
    static void Close(HANDLE search) { ::FindClose(search); }
};
using ScopedFindHandle = ScopedHandle<FindHandleTraits>;

// Modules loaded by LoadLibrary (never one taken from GetModuleHandle).
struct ModuleTraits {
    using Handle = HMODULE;
    static bool IsValid(HMODULE module) { return module != nullptr; }
    static void Close(HMODULE module) { ::FreeLibrary(module); }
};
using ScopedModule = ScopedHandle<ModuleTraits>;

// Memory that an API hands out to be given back with LocalFree (CommandLineToArgvW,
// FormatMessage with FORMAT_MESSAGE_ALLOCATE_BUFFER), typed as the API returns it.
template <class T>
struct LocalMemoryTraits {
    using Handle = T;
    static bool IsValid(T memory) { return memory != nullptr; }
    static void Close(T memory) { ::LocalFree(memory); }
};
template <class T>
using ScopedLocalMemory = ScopedHandle<LocalMemoryTraits<T>>;

// Strings of the COM allocator (null is the empty string).
struct BstrTraits {
    using Handle = BSTR;
    static bool IsValid(BSTR text) { return text != nullptr; }
    static void Close(BSTR text) { ::SysFreeString(text); }
};
