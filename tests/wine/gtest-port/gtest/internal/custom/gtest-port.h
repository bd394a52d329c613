// GoogleTest's own customisation point, taken for the Windows test build.
//
// The test programs are built with the same toolchain as the shipped programs: the win32
// thread model, whose C++ library has no std::mutex or std::condition_variable. GoogleTest's
// Windows port brings its own mutex and thread-local storage; only its test-helper
// Notification class is written with the standard types. This one does the same job with a
// manual-reset event, so GoogleTest builds unchanged.
#ifndef MURIVALE_TESTS_GTEST_CUSTOM_PORT_H
#define MURIVALE_TESTS_GTEST_CUSTOM_PORT_H

#ifdef _WIN32
#include <windows.h>

namespace testing {
namespace internal {

class Notification {
public:
    Notification() : event_(::CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}
    ~Notification() { ::CloseHandle(event_); }
    Notification(const Notification&) = delete;
    Notification& operator=(const Notification&) = delete;

    void Notify() { ::SetEvent(event_); }
    void WaitForNotification() { ::WaitForSingleObject(event_, INFINITE); }

private:
    HANDLE event_;
};

}  // namespace internal
}  // namespace testing

#define GTEST_HAS_NOTIFICATION_ 1
#endif

#endif
