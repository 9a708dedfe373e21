#include "sdk/request_signature.h"

#include <chrono>
#include <ctime>

#include "platform/crypto.h"
#include "platform/debug_output.h"

namespace ObrelSdk {
namespace {

// Shared with the publisher's server; it enters the signature, never the wire.
constexpr char kSigningKey[] = "RVKMXA52F39B720EA6TqW3bmRsaXvk7=";

}  // namespace

std::string currentTimeValue() {
  const long long seconds = static_cast<long long>(std::time(nullptr));
  // Milliseconds of the wall clock are the same in local time as in UTC.
  const auto now = std::chrono::system_clock::now().time_since_epoch();
  const long long milliseconds = std::chrono::duration_cast<std::chrono::milliseconds>(now).count() % 1000;
  return std::to_string(seconds) + std::to_string(milliseconds);
}

std::string md5Hex(const std::string& text) {
  vyrn::platform::Md5Digest digest{};
  if (!vyrn::platform::md5(text, digest)) vyrn::platform::debugOutput("MD5 unavailable");
  static constexpr char kHex[] = "0123456789abcdef";
  std::string hex;
  hex.reserve(32);
  for (const auto byte : digest) {
    hex += kHex[byte >> 4];
    hex += kHex[byte & 0x0F];
  }
  return hex;
}

std::string signedBody(const std::string& parameterText, const std::string& timeValue) {
  const std::string unsignedBody = parameterText + "&time=" + timeValue;
  return unsignedBody + "&sign=" + md5Hex(unsignedBody + "&" + kSigningKey);
}

}  // namespace ObrelSdk
