// GoogleTest's main with one check more: the window base destroys a window left alive at its
// object's death and reports that only to the debugger output, which no test reads by itself.
// Here every such report fails the test that was running when it came.
#include "framework/win/tests/TestMain.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <mutex>
#include <string>

namespace {

constexpr DWORD kDebugPrintException = 0x40010006;  // DBG_PRINTEXCEPTION_C, raised by OutputDebugString
constexpr char kOrphanReport[] = "outlived its object";

struct OrphanReports {
    std::mutex lock;
    std::string text;  // the reports since the running test started
    int count = 0;
    int expected = 0;
};

OrphanReports& Reports() {
    static OrphanReports reports;
    return reports;
}

LONG CALLBACK OnDebugOutput(EXCEPTION_POINTERS* info) {
    const EXCEPTION_RECORD* record = info->ExceptionRecord;
    if (record->ExceptionCode == kDebugPrintException && record->NumberParameters >= 2) {
        const char* text = reinterpret_cast<const char*>(record->ExceptionInformation[1]);
        if (text && std::strstr(text, kOrphanReport)) {
            OrphanReports& reports = Reports();
            std::lock_guard<std::mutex> guard(reports.lock);
            reports.text += text;
            ++reports.count;
        }
    }
    return EXCEPTION_CONTINUE_SEARCH;
}

class COrphanedWindowCheck : public testing::EmptyTestEventListener {
    void OnTestStart(const testing::TestInfo&) override {
        OrphanReports& reports = Reports();
        std::lock_guard<std::mutex> guard(reports.lock);
        reports.text.clear();
        reports.count = 0;
        reports.expected = 0;
    }
    // Runs after the fixture is gone, so that its members' windows count too.
    void OnTestEnd(const testing::TestInfo&) override {
        std::string text;
        int count = 0, expected = 0;
        {
            OrphanReports& reports = Reports();
            std::lock_guard<std::mutex> guard(reports.lock);
            text = reports.text;
            count = reports.count;
            expected = reports.expected;
        }
        if (count != expected)
            ADD_FAILURE() << count << " window(s) outlived their objects (" << expected
                          << " expected); destroy them before their objects go:\n"
                          << text;
    }
};

}  // namespace

void ExpectWindowOutlivingItsObject() {
    OrphanReports& reports = Reports();
    std::lock_guard<std::mutex> guard(reports.lock);
    ++reports.expected;
}

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    ::AddVectoredExceptionHandler(1, &OnDebugOutput);
    testing::TestEventListeners& listeners = testing::UnitTest::GetInstance()->listeners();
    // Ahead of the printer, so that the failure shows under the test's own name.
    testing::TestEventListener* printer = listeners.Release(listeners.default_result_printer());
    listeners.Append(new COrphanedWindowCheck);
    if (printer)
        listeners.Append(printer);
    return RUN_ALL_TESTS();
}
