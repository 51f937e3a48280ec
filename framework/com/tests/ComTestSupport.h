#pragma once
// Shared pieces of the COM framework tests: the test control DLL, a hidden parent window, and a
// stub event sink that records what it receives.

#include "framework/com/tests/ComStubs.h"
#include "framework/com/tests/TestControlApi.h"

#include <string>
#include <vector>

// The test control DLL beside the test program, loaded for the whole run.
class CTestControlDll : public CServerDll {
public:
    static CTestControlDll& Instance();
    std::wstring Path() const { return path_; }
    // Calls recorded by the controls since the last TakeLog, "a;b;c".
    std::wstring TakeLog() const;

private:
    explicit CTestControlDll(const std::wstring& path);
    std::wstring path_;
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
class CRecordingSink final : public CStubEventSink {
public:
    using CStubEventSink::CStubEventSink;
    std::vector<std::wstring> calls;

    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*, UINT*) override;
};
