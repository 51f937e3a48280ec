#pragma once
// Small COM helpers shared by the control framework and the container: RAII for BSTR and
// VARIANT, task-memory text, resource strings and HIMETRIC conversion.

#include <windows.h>
#include <ole2.h>
#include <oleauto.h>
#include <wrl/client.h>

#include <string>

using Microsoft::WRL::ComPtr;

// Owns one BSTR (may be null, which COM treats as the empty string).
class CScopedBstr {
public:
    CScopedBstr() = default;
    explicit CScopedBstr(const wchar_t* text) : m_bstr(text ? SysAllocString(text) : nullptr) {}
    explicit CScopedBstr(const std::wstring& text)
        : m_bstr(SysAllocStringLen(text.data(), static_cast<UINT>(text.size()))) {}
    ~CScopedBstr() { SysFreeString(m_bstr); }
    CScopedBstr(const CScopedBstr&) = delete;
    CScopedBstr& operator=(const CScopedBstr&) = delete;
    CScopedBstr(CScopedBstr&& other) noexcept : m_bstr(other.Detach()) {}
    CScopedBstr& operator=(CScopedBstr&& other) noexcept {
        Reset(other.Detach());
        return *this;
    }

    BSTR Get() const { return m_bstr; }
    UINT Length() const { return SysStringLen(m_bstr); }
    std::wstring Str() const { return std::wstring(m_bstr ? m_bstr : L"", Length()); }
    // For out parameters: frees what is held and hands out the slot.
    BSTR* Receive() {
        Reset();
        return &m_bstr;
    }
    BSTR Detach() {
        BSTR b = m_bstr;
        m_bstr = nullptr;
        return b;
    }
    void Reset(BSTR b = nullptr) {
        if (m_bstr != b) SysFreeString(m_bstr);
        m_bstr = b;
    }

private:
    BSTR m_bstr = nullptr;
};

// Owns one VARIANT, cleared on destruction.
class CScopedVariant {
public:
    CScopedVariant() { VariantInit(&m_var); }
    ~CScopedVariant() { VariantClear(&m_var); }
    CScopedVariant(const CScopedVariant&) = delete;
    CScopedVariant& operator=(const CScopedVariant&) = delete;

    VARIANT* Get() { return &m_var; }
    const VARIANT& Ref() const { return m_var; }
    VARIANT* Receive() {
        VariantClear(&m_var);
        return &m_var;
    }

private:
    VARIANT m_var;
};

// Copies a text into task memory, as COM out parameters of type LPOLESTR require.
LPOLESTR CoTaskMemDup(const std::wstring& text);

// Text of a string resource of a module; empty when it does not exist.
std::wstring LoadResourceString(HMODULE module, UINT id);

// Pixel <-> HIMETRIC conversion at the screen's resolution (0.01 mm units).
SIZEL PixelsToHimetric(SIZE pixels);
SIZE HimetricToPixels(SIZEL himetric);
