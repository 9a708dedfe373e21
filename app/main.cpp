// The launcher's entry point: one launcher per Windows log-on, COM on the
// main thread, then the main window, whose handlers drive the launch until
// its close handler ends the message loop.

#include <windows.h>
#include <objbase.h>

#include "app/main_window.h"
#include "platform/debug_output.h"
#include "platform/win32/unique_handle.h"

namespace {

constexpr wchar_t kSingleInstanceName[] = L"VyrnHarrowenLanucher";

class ComApartment {
 public:
  ComApartment() : ok_(SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}
  ~ComApartment() {
    if (ok_) ::CoUninitialize();
  }
  ComApartment(const ComApartment&) = delete;
  ComApartment& operator=(const ComApartment&) = delete;
  bool ok() const { return ok_; }

 private:
  bool ok_;
};

void centreOnWorkArea(HWND window) {
  RECT area{};
  RECT frame{};
  ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
  ::GetWindowRect(window, &frame);
  const int width = frame.right - frame.left;
  const int height = frame.bottom - frame.top;
  ::SetWindowPos(window, nullptr, area.left + (area.right - area.left - width) / 2,
                 area.top + (area.bottom - area.top - height) / 2, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
}

void runMessageLoop() {
  MSG message;
  while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
    ::TranslateMessage(&message);
    ::DispatchMessageW(&message);
  }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  // The name lives as long as the process; the system frees it with it.
  static vyrn::platform::win32::UniqueHandle instanceMutex(::CreateMutexW(nullptr, FALSE, kSingleInstanceName));
  if (!instanceMutex || ::GetLastError() == ERROR_ALREADY_EXISTS) {
    vyrn::platform::debugOutput("微端正在运行");
    return 0;
  }
  ComApartment com;
  if (!com.ok()) return 0;

  // Workers report to the window until the process ends: it is never freed.
  auto* window = new VyrnGameLauncherHarrowen();
  if (!window->Create()) return 0;
  window->OnLayoutLoaded();
  centreOnWorkArea(window->mHwnd);
  ::ShowWindow(window->mHwnd, SW_SHOW);
  window->StartPackageQuery();

  runMessageLoop();
  return 0;
}
