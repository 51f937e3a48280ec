#pragma once
// Small COM helpers shared by the control framework and the container: RAII for BSTR and
// VARIANT, task-memory text, resource strings and HIMETRIC conversion.

#include <windows.h>
#include <ole2.h>
#include <oleauto.h>
#include <wrl/client.h>

#include "framework/win/ScopedHandle.h"

#include <string>

using Microsoft::WRL::ComPtr;

// Holds an object whose reference the caller hands over, such as a new COM object's first.
// Not ComPtr::Attach: mingw-w64's adds a reference, unlike the platform's.
template <class T>
ComPtr<T> AdoptComPtr(T* object) {
    ComPtr<T> held;
    *held.GetAddressOf() = object;
    return held;
}

// Owns one BSTR (may be null, which COM treats as the empty string).
class CScopedBstr : public ScopedHandle<BstrTraits> {
public:
    CScopedBstr() = default;
    explicit CScopedBstr(const wchar_t* text) : ScopedHandle(text ? SysAllocString(text) : nullptr) {}
    explicit CScopedBstr(const std::wstring& text)
        : ScopedHandle(SysAllocStringLen(text.data(), static_cast<UINT>(text.size()))) {}

    UINT Length() const { return SysStringLen(Get()); }
    std::wstring Str() const { return std::wstring(Get() ? Get() : L"", Length()); }
};

// Owns one VARIANT, cleared on destruction.
class CScopedVariant {
public:
    CScopedVariant() { VariantInit(&var_); }
    ~CScopedVariant() { VariantClear(&var_); }
    CScopedVariant(const CScopedVariant&) = delete;
    CScopedVariant& operator=(const CScopedVariant&) = delete;

    VARIANT* Get() { return &var_; }
    const VARIANT& Ref() const { return var_; }
    VARIANT* Receive() {
        VariantClear(&var_);
        return &var_;
    }

private:
    VARIANT var_;
};

// Copies a text into task memory, as COM out parameters of type LPOLESTR require.
LPOLESTR CoTaskMemDup(const std::wstring& text);

// Text of a string resource of a module; empty when it does not exist.
std::wstring LoadResourceString(HMODULE module, UINT id);

// Pixel <-> HIMETRIC conversion at the screen's resolution (0.01 mm units).
SIZEL PixelsToHimetric(SIZE pixels);
SIZE HimetricToPixels(SIZEL himetric);
