// The launcher's entry point: one launcher per Windows log-on, COM on the
// main thread, then the launch flow until it ends the message loop.
//
// For now the flow is the part that exists end to end: the device id and the
// game package query, whose outcome is logged before the launcher ends.

#include <windows.h>
#include <objbase.h>

#include <string>

#include "device/device_identity.h"
#include "platform/debug_output.h"
#include "platform/win32/unique_handle.h"
#include "sdk/api.h"

namespace {

using vyrn::platform::debugOutput;

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
    debugOutput("微端正在运行");
    return 0;
  }
  ComApartment com;
  if (!com.ok()) return 0;

  const std::string deviceId = vyrn::getDeviceId(nullptr);
  debugOutput("device: " + deviceId);

  static ObrelSdk::Api api;  // outlives the query's worker thread
  const DWORD mainThread = ::GetCurrentThreadId();
  api.m_GetPackSuccCallBack = [mainThread](std::string versionName, bool isAllowUpdate, std::string packageLink,
                                           std::string updatePackageLink) {
    debugOutput("version_name: " + versionName + ", is_allow_update: " + (isAllowUpdate ? "1" : "0"));
    debugOutput(packageLink);
    debugOutput(updatePackageLink);
    ::PostThreadMessageW(mainThread, WM_QUIT, 0, 0);
  };
  api.m_GetPackFailCallBack = [mainThread](std::string message) {
    debugOutput(message);
    ::PostThreadMessageW(mainThread, WM_QUIT, 0, 0);
  };
  api.getHarrowenGamePackage();

  runMessageLoop();
  return 0;
}
