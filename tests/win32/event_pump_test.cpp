// The event pump against the real message queue.
#include "platform/win32/win32_event_pump.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "platform/win32/unique_handle.h"

namespace velmora::win32 {
namespace {

using namespace std::chrono_literals;

// A half-second wait that sleeps costs next to nothing; one that polls costs
// a good part of the half second.
constexpr auto kIdleCpuLimit = 50ms;

// This thread's processor time: the one that waits. Other threads of the
// process (the system's own, at start-up) are no concern of the pump.
std::chrono::milliseconds ThreadCpuTime() {
  FILETIME creation{}, exit{}, kernel{}, user{};
  ::GetThreadTimes(::GetCurrentThread(), &creation, &exit, &kernel, &user);
  const auto ticks = [](const FILETIME& time) {
    return (static_cast<std::int64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
  };
  return std::chrono::milliseconds((ticks(kernel) + ticks(user)) / 10000);
}

// A window that counts the messages dispatched to it.
class CountingWindow {
 public:
  CountingWindow() {
    WNDCLASSW window_class{};
    window_class.lpfnWndProc = &Procedure;
    window_class.hInstance = ::GetModuleHandleW(nullptr);
    window_class.lpszClassName = L"VelmoraCountingWindow";
    ::RegisterClassW(&window_class);
    window_.reset(::CreateWindowExW(0, window_class.lpszClassName, L"", 0, 0, 0, 0, 0,
                                    HWND_MESSAGE, nullptr, window_class.hInstance, nullptr));
    ::SetWindowLongPtrW(window_.get(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  }

  HWND get() const { return window_.get(); }
  int count() const { return count_; }

 private:
  static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_APP) {
      ++reinterpret_cast<CountingWindow*>(::GetWindowLongPtrW(window, GWLP_USERDATA))->count_;
      return 0;
    }
    return ::DefWindowProcW(window, message, wparam, lparam);
  }

  UniqueWindow window_;
  int count_ = 0;
};

class EventPumpTest : public ::testing::Test {
 protected:
  // Gives this thread its message queue before other threads post to it,
  // and starts every test with that queue empty.
  void SetUp() override { pump_.DoEvents(); }

  Win32EventPump pump_;
};

TEST_F(EventPumpTest, WaitForEvents_ReturnsEarlyWhenAMessageArrives) {
  const DWORD this_thread = ::GetCurrentThreadId();
  std::thread poster([this_thread] {
    std::this_thread::sleep_for(100ms);
    ::PostThreadMessageW(this_thread, WM_APP, 0, 0);
  });
  const auto start = pump_.Now();
  pump_.WaitForEvents(start + 10s);
  const auto waited = pump_.Now() - start;
  poster.join();
  pump_.DoEvents();
  EXPECT_GE(waited, 90ms);
  EXPECT_LT(waited, 3s);
}

TEST_F(EventPumpTest, WaitForEvents_SleepsUntilTheDeadlineWithoutSpinning) {
  const auto cpu_before = ThreadCpuTime();
  const auto start = pump_.Now();
  pump_.WaitForEvents(start + 500ms);
  const auto waited = pump_.Now() - start;
  const auto cpu = ThreadCpuTime() - cpu_before;
  EXPECT_GE(waited, 500ms);
  EXPECT_LT(waited, 2s);
  EXPECT_LT(cpu, kIdleCpuLimit);
}

TEST_F(EventPumpTest, WaitForEvents_ReturnsAtOnceForAPastDeadline) {
  const auto start = pump_.Now();
  pump_.WaitForEvents(start - 1s);
  EXPECT_LT(pump_.Now() - start, 100ms);
}

TEST_F(EventPumpTest, DoEvents_DispatchesEveryPendingMessage) {
  CountingWindow window;
  for (int i = 0; i < 3; ++i) ::PostMessageW(window.get(), WM_APP, 0, 0);
  pump_.DoEvents();
  EXPECT_EQ(window.count(), 3);
}

// A quit must survive an inner pump so that the main loop still ends, and the
// waits that follow it must not turn into a busy loop.
TEST_F(EventPumpTest, DoEvents_LeavesTheQuitForTheMainLoopAndWaitsStillSleep) {
  CountingWindow window;
  ::PostMessageW(window.get(), WM_APP, 0, 0);
  ::PostQuitMessage(7);
  pump_.DoEvents();
  EXPECT_EQ(window.count(), 1);

  const auto cpu_before = ThreadCpuTime();
  const auto start = pump_.Now();
  while (pump_.Now() < start + 500ms) {
    pump_.WaitForEvents(start + 500ms);
    pump_.DoEvents();
  }
  EXPECT_LT(ThreadCpuTime() - cpu_before, kIdleCpuLimit);

  MSG message{};
  ASSERT_TRUE(::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(message.message, static_cast<UINT>(WM_QUIT));
  EXPECT_EQ(message.wParam, 7u);
}

}  // namespace
}  // namespace velmora::win32
