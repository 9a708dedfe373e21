#pragma once

#include <string>

#include "platform/window_handle.h"

namespace vyrn::platform {

// The current user's local application-data folder, without a trailing
// separator and without creating it. Empty when the system cannot tell.
std::wstring localAppDataFolder(WindowHandle owner);

// The user's folder for temporary files, without a trailing separator.
std::wstring temporaryFolder();

}  // namespace vyrn::platform
