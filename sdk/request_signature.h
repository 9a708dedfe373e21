#pragma once
// Pieces of the request signature, kept apart so each can be checked alone.

#include <string>

namespace ObrelSdk {

// Whole seconds since 1970 in decimal, followed directly by the milliseconds
// of the local wall clock without leading zeros (so 7 ms adds the digit "7").
std::string currentTimeValue();

// MD5 of text as 32 lowercase hexadecimal digits.
std::string md5Hex(const std::string& text);

// The body for the given parameter text ("a=1&b=2" or empty) and time value.
std::string signedBody(const std::string& parameterText, const std::string& timeValue);

}  // namespace ObrelSdk
