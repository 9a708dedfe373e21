#pragma once
// The pay window as the game link sees it: one call that shows the payment
// QR code over the game's window and returns once the player has closed it.

#include <string>

#include "platform/window_handle.h"

namespace vyrn {

// Runs modally on the calling thread. owner may be null (no game window yet).
// qrText is the Base64 PNG the game sent; imagePath is where it is written.
void showPayWindow(platform::WindowHandle owner, const std::string& qrText, const std::string& imagePath);

}  // namespace vyrn
