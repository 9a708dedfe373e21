#include "app/main_window.h"

#include <commctrl.h>
#include <shellapi.h>

#include <string>

#include "device/device_identity.h"
#include "device/text_encoding.h"
#include "platform/debug_output.h"

namespace {

constexpr wchar_t kWindowClassName[] = L"VyrnGameLauncherHarrowen";
// Progress from the workers: wParam the phase, lParam the whole percentage.
constexpr UINT kProgressMessage = WM_APP + 1;
constexpr int kProgressMaximum = 100;

}  // namespace

VyrnGameLauncherHarrowen::VyrnGameLauncherHarrowen(ObrelSdk::WebSocketServer& server, uint16_t gameLinkPort)
    : mServer(server), mGameLinkPort(gameLinkPort) {}

bool VyrnGameLauncherHarrowen::Create() {
  const HINSTANCE instance = ::GetModuleHandleW(nullptr);
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = &VyrnGameLauncherHarrowen::WindowProc;
  windowClass.hInstance = instance;
  windowClass.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  windowClass.lpszClassName = kWindowClassName;
  // A second window in the same process finds the class registered already.
  if (!::RegisterClassExW(&windowClass) && ::GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return false;

  mRunning = true;
  char modulePath[MAX_PATH] = {};
  ::GetModuleFileNameA(nullptr, modulePath, MAX_PATH);
  mModulePath = modulePath;
  const size_t separator = mModulePath.rfind('\\');
  mModuleDir = separator == std::string::npos ? mModulePath : mModulePath.substr(0, separator);

  mHwnd = ::CreateWindowExW(0, kWindowClassName, L"Vyrn启动器", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT, 480,
                            320, nullptr, nullptr, instance, this);
  if (!mHwnd) return false;

  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_PROGRESS_CLASS};
  ::InitCommonControlsEx(&controls);
  mProgressLabel = ::CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE | SS_CENTER, 20, 200, 424, 24, mHwnd,
                                     nullptr, instance, nullptr);
  mProgressBar = ::CreateWindowExW(0, PROGRESS_CLASSW, L"", WS_CHILD | WS_VISIBLE, 20, 230, 424, 20, mHwnd, nullptr,
                                   instance, nullptr);
  return true;
}

void VyrnGameLauncherHarrowen::OnLayoutLoaded() {
  mDeviceId = vyrn::getDeviceId(mHwnd);
  int count = 0;
  LPWSTR* arguments = ::CommandLineToArgvW(::GetCommandLineW(), &count);
  if (arguments && count >= 2) {
    for (int i = 0; i < count; ++i) vyrn::platform::debugOutput("启动参数:" + vyrn::wideToOem(arguments[i]));
  }
  if (arguments) ::LocalFree(arguments);
}

void VyrnGameLauncherHarrowen::ShowProgress(ProgressPhase phase, int percent) {
  ::PostMessageW(mHwnd, kProgressMessage, static_cast<WPARAM>(phase), percent);
}

void VyrnGameLauncherHarrowen::OnProgressMessage(WPARAM phase, LPARAM percent) {
  const std::string n = std::to_string(percent);
  const std::string text = static_cast<ProgressPhase>(phase) == ProgressPhase::Download
                               ? "正在下载 请耐心等待[" + n + "/100]"
                               : "正在解压资源[" + n + "/100]";
  ::SetWindowTextW(mProgressLabel, vyrn::oemToWideBuffer(text).get());
  ::SendMessageW(mProgressBar, PBM_SETRANGE32, 0, kProgressMaximum);
  ::SendMessageW(mProgressBar, PBM_SETPOS, static_cast<WPARAM>(percent), 0);
}

LRESULT CALLBACK VyrnGameLauncherHarrowen::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
    ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* window = reinterpret_cast<VyrnGameLauncherHarrowen*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (window && message == kProgressMessage) {
    window->OnProgressMessage(wParam, lParam);
    return 0;
  }
  if (window && message == WM_CLOSE) {
    BOOL handled = TRUE;
    const LRESULT result = window->OnClose(message, wParam, lParam, handled);
    if (handled) return result;
  }
  return ::DefWindowProcW(hwnd, message, wParam, lParam);
}

LRESULT VyrnGameLauncherHarrowen::OnClose(UINT, WPARAM, LPARAM, BOOL& handled) {
  vyrn::platform::debugOutput("VyrnGameLauncherHarrowen OnClose!!!");
  mGameHwnd = nullptr;
  mRunning = false;
  mServer.stop();
  ::PostQuitMessage(0);
  handled = TRUE;
  return 0;
}
