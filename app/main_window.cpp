#include "app/main_window.h"

#include "platform/debug_output.h"

namespace {

constexpr wchar_t kWindowClassName[] = L"VyrnGameLauncherHarrowen";

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
  return mHwnd != nullptr;
}

LRESULT CALLBACK VyrnGameLauncherHarrowen::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
    ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* window = reinterpret_cast<VyrnGameLauncherHarrowen*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
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
