#pragma once
// Shared pieces of the COM framework tests: the test control DLL, a hidden parent window,
// reference count probes, and a stub event sink that records what it receives.

#include "framework/com/ComUtil.h"
#include "framework/com/tests/TestControlApi.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

// Current reference count of an object, without changing it.
ULONG RefCount(IUnknown* object);

// The test control DLL beside the test program, loaded for the whole run.
class CTestControlDll {
public:
    static CTestControlDll& Instance();
    std::wstring Path() const { return path_; }
    HRESULT GetClassObject(REFCLSID clsid, REFIID riid, void** object) const;
    HRESULT CanUnloadNow() const;
    HRESULT Register() const;
    HRESULT Unregister() const;
    // Calls recorded by the controls since the last TakeLog, "a;b;c".
    std::wstring TakeLog() const;
    HRESULT CreateControl(REFCLSID clsid, IUnknown** control) const;

private:
    CTestControlDll();
    std::wstring path_;
    HMODULE module_ = nullptr;
};

// A hidden top-level window that parents the windows of one test.
class CParentWindow {
public:
    CParentWindow(int width = 400, int height = 300);
    ~CParentWindow();
    HWND Get() const { return hwnd_; }

private:
    HWND hwnd_ = nullptr;
};

// Event sink for _DTestCtlEvents that records each call as "<dispid>:<first string argument>".
class CRecordingSink final : public IDispatch {
public:
    explicit CRecordingSink(REFIID eventIid) : iid_(eventIid) {}
    std::vector<std::wstring> calls;

    STDMETHODIMP QueryInterface(REFIID riid, void** object) override;
    STDMETHODIMP_(ULONG) AddRef() override { return ++refs_; }
    STDMETHODIMP_(ULONG) Release() override { return --refs_; }  // lives on the test's stack
    STDMETHODIMP GetTypeInfoCount(UINT* count) override;
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo** info) override;
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override;
    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*, UINT*) override;

private:
    IID iid_;
    ULONG refs_ = 1;
};
