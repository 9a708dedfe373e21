// Placeholder until the skinned pay window exists: it logs what it was given
// and holds the calling thread for a short modal wait, pumping its messages,
// so the game link's sequencing is the real one.

#include "ui/pay_window.h"

#include <windows.h>

#include <cstdio>

#include "platform/debug_output.h"

namespace vyrn {
namespace {

constexpr DWORD kPlaceholderWaitMs = 500;

std::string handleText(platform::WindowHandle handle) {
  char text[32];
  std::snprintf(text, sizeof text, "%p", handle);
  return text;
}

}  // namespace

void showPayWindow(platform::WindowHandle owner, const std::string& qrText, const std::string& imagePath) {
  platform::debugOutput("PayWindow open: owner " + handleText(owner) + ", image " + imagePath + ", qrcode " +
                        std::to_string(qrText.size()) + " bytes");
  const DWORD start = ::GetTickCount();
  for (DWORD elapsed = 0; elapsed < kPlaceholderWaitMs; elapsed = ::GetTickCount() - start) {
    ::MsgWaitForMultipleObjects(0, nullptr, FALSE, kPlaceholderWaitMs - elapsed, QS_ALLINPUT);
    MSG message;
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      ::TranslateMessage(&message);
      ::DispatchMessageW(&message);
    }
  }
  platform::debugOutput("PayWindow closed");
}

}  // namespace vyrn
