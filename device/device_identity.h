#pragma once
// The device id: generated once per user profile and kept in data.cof in the
// launcher's data folder under the user's local application data.

#include <string>

#include "platform/window_handle.h"

namespace vyrn {

// The local application-data folder followed by "\VYRN_HARROWEN", in the
// ANSI code page, without a trailing separator.
std::string getAppDataFolder(platform::WindowHandle owner);

// The stored device id, or a new one that is stored before it is returned.
std::string getDeviceId(platform::WindowHandle owner);

std::string readValue(std::string key, std::string folder);
void writeValue(std::string key, std::string value, std::string folder);

// 36 lowercase hexadecimal digits in groups 8-4-4-4-12: 60 random bits, the
// low 52 bits of the monotonic clock in nanoseconds, 16 random bits.
std::string generateUuid();

}  // namespace vyrn
