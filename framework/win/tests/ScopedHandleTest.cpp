// The one handle owner with each kind of traits: what it holds is given back exactly once, the
// way it was obtained, and moving hands that duty on.
#include "framework/win/ScopedGdi.h"
#include "framework/win/ScopedHandle.h"
#include "framework/win/tests/TestHost.h"

#include <gtest/gtest.h>

namespace {

bool IsOpenHandle(HANDLE handle) {
    DWORD flags = 0;
    return ::GetHandleInformation(handle, &flags) != FALSE;
}

TEST(ScopedHandle, KernelHandleIsClosedOnceByItsLastOwner) {
    const HANDLE raw = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    ASSERT_TRUE(IsOpenHandle(raw));
    {
        ScopedKernelHandle event(raw);
        ScopedKernelHandle owner(std::move(event));
        EXPECT_FALSE(event);
        EXPECT_EQ(raw, owner.Get());
        EXPECT_TRUE(IsOpenHandle(raw)) << "the moved-from holder closed it";
    }
    EXPECT_FALSE(IsOpenHandle(raw));

    // What CreateFile returns on failure holds nothing and is never closed.
    ScopedKernelHandle failed(INVALID_HANDLE_VALUE);
    EXPECT_FALSE(failed);
}

TEST(ScopedHandle, RegistryKeyIsClosed) {
    HKEY raw = nullptr;
    {
        ScopedRegKey key;
        ASSERT_EQ(ERROR_SUCCESS, ::RegOpenKeyExW(HKEY_CURRENT_USER, L"Software", 0, KEY_READ, key.Receive()));
        raw = key;
        DWORD subkeys = 0;
        EXPECT_EQ(ERROR_SUCCESS, ::RegQueryInfoKeyW(raw, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr,
                                                    nullptr, nullptr, nullptr, nullptr, nullptr));
    }
    DWORD subkeys = 0;
    EXPECT_EQ(ERROR_INVALID_HANDLE, ::RegQueryInfoKeyW(raw, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr,
                                                       nullptr, nullptr, nullptr, nullptr, nullptr));
}

TEST(ScopedHandle, DcsGoBackTheWayTheyCame) {
    CTestHost host;
    HDC lent = nullptr;
    {
        ScopedGetDC dc(host.m_hWnd);
        ASSERT_TRUE(dc);
        lent = dc;
        ScopedReleasedDC owner(std::move(dc));
    }
    EXPECT_EQ(0, ::ReleaseDC(host.m_hWnd, lent)) << "the window's DC was not given back";

    HDC created = nullptr;
    {
        ScopedCompatibleDC dc(nullptr);
        created = dc;
        EXPECT_EQ(static_cast<DWORD>(OBJ_MEMDC), ::GetObjectType(created));
    }
    EXPECT_EQ(0u, ::GetObjectType(created));
}

}  // namespace
