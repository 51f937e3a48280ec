#include "player/shell/CheckUpdateHelper.h"

#include <boost/bind/bind.hpp>
#include <boost/function.hpp>
#include <boost/thread/thread.hpp>

#include "player/shell/RemoteCmd.h"

namespace {

// How long the end of the program waits for a check still inside the library.
constexpr DWORD kStopWaitMs = 5000;

// Waits for the thread to end while answering messages that other threads send to this one.
bool AwaitThread(HANDLE thread, DWORD timeoutMs) {
    const DWORD start = ::GetTickCount();
    for (;;) {
        const DWORD elapsed = ::GetTickCount() - start;
        const DWORD left = elapsed < timeoutMs ? timeoutMs - elapsed : 0;
        const DWORD woken = ::MsgWaitForMultipleObjects(1, &thread, FALSE, left, QS_SENDMESSAGE);
        if (woken == WAIT_OBJECT_0)
            return true;
        if (woken != WAIT_OBJECT_0 + 1)
            return false;
        MSG msg;
        ::PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
}

}  // namespace

CCheckUpdateHelper::CCheckUpdateHelper() = default;

CCheckUpdateHelper::~CCheckUpdateHelper() {
    Stop();
}

void CCheckUpdateHelper::Start(HWND notify) {
    if (!library_)
        library_.Reset(::LoadLibraryW(L"UpdateProbe.dll"));
    if (!library_)
        return;
    if (!checkVersion_)
        checkVersion_ = reinterpret_cast<CheckVersionFn>(::GetProcAddress(library_, "CheckVersion"));
    if (!checkVersion_ || worker_)
        return;
    check_ = std::make_shared<Check>();
    check_->checkVersion = checkVersion_;
    check_->notify = notify;
    boost::function<void()> work = boost::bind(&CCheckUpdateHelper::Run, check_);
    worker_.reset(new boost::thread(work));
}

void CCheckUpdateHelper::Stop() {
    if (worker_) {
        check_->stopping = true;
        if (answering_ > 0)
            return;
        if (!AwaitThread(worker_->native_handle(), kStopWaitMs)) {
            worker_->detach();
            worker_.reset();
            library_.Release();  // still in use by the worker
            checkVersion_ = nullptr;
            return;
        }
        worker_->join();
        worker_.reset();
    }
    if (library_) {
        library_.Reset();
        checkVersion_ = nullptr;
    }
}

void CCheckUpdateHelper::Run(std::shared_ptr<Check> check) {
    int newer = 0;
    const int succeeded = check->checkVersion(0, 0, 2, &newer);
    if (succeeded && newer && !check->stopping && ::IsWindow(check->notify)) {
        COPYDATASTRUCT request{};
        request.dwData = kRequestNewVersion;
        ::SendMessageW(check->notify, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&request));
    }
}
