#include "player/shell/CheckUpdateHelper.h"

#include <boost/bind/bind.hpp>
#include <boost/function.hpp>
#include <boost/thread/thread.hpp>

#include "player/shell/RemoteCmd.h"

CCheckUpdateHelper::CCheckUpdateHelper() = default;

CCheckUpdateHelper::~CCheckUpdateHelper() {
    Stop();
}

void CCheckUpdateHelper::Start(HWND notify) {
    if (!library_)
        library_ = ::LoadLibraryW(L"UpdateProbe.dll");
    if (!library_)
        return;
    if (!checkVersion_)
        checkVersion_ = reinterpret_cast<CheckVersionFn>(::GetProcAddress(library_, "CheckVersion"));
    if (!checkVersion_ || worker_)
        return;
    notify_ = notify;
    boost::function<void()> work = boost::bind(&CCheckUpdateHelper::Run, this);
    worker_.reset(new boost::thread(work));
}

void CCheckUpdateHelper::Stop() {
    if (worker_) {
        stopping_ = true;
        HANDLE thread = worker_->native_handle();
        while (::MsgWaitForMultipleObjects(1, &thread, FALSE, INFINITE, QS_SENDMESSAGE) == WAIT_OBJECT_0 + 1) {
            MSG msg;
            ::PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
        }
        worker_->join();
        worker_.reset();
        stopping_ = false;
    }
    if (library_) {
        ::FreeLibrary(library_);
        library_ = nullptr;
        checkVersion_ = nullptr;
    }
}

void CCheckUpdateHelper::Run() {
    int newer = 0;
    const int succeeded = checkVersion_(0, 0, 2, &newer);
    if (succeeded && newer && !stopping_ && ::IsWindow(notify_)) {
        COPYDATASTRUCT request{};
        request.dwData = kRequestNewVersion;
        ::SendMessageW(notify_, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&request));
    }
}
