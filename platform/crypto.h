#pragma once
// Hashing and randomness from the system's cryptographic provider.

#include <array>
#include <cstdint>
#include <string_view>

namespace vyrn::platform {

using Md5Digest = std::array<std::uint8_t, 16>;

// MD5 (RFC 1321). False when the provider fails; digest is then zero.
bool md5(std::string_view data, Md5Digest& digest);

// 32 bits from the system's cryptographic random source.
bool secureRandom32(std::uint32_t& value);

}  // namespace vyrn::platform
