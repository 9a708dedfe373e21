#include <windows.h>
#include <bcrypt.h>

#include "platform/crypto.h"

namespace vyrn::platform {
namespace {

struct AlgorithmProvider {
  BCRYPT_ALG_HANDLE handle = nullptr;
  AlgorithmProvider() {
    if (!BCRYPT_SUCCESS(::BCryptOpenAlgorithmProvider(&handle, BCRYPT_MD5_ALGORITHM, nullptr, 0))) handle = nullptr;
  }
  ~AlgorithmProvider() {
    if (handle) ::BCryptCloseAlgorithmProvider(handle, 0);
  }
};

struct HashObject {
  BCRYPT_HASH_HANDLE handle = nullptr;
  ~HashObject() {
    if (handle) ::BCryptDestroyHash(handle);
  }
};

}  // namespace

bool md5(std::string_view data, Md5Digest& digest) {
  digest.fill(0);
  static const AlgorithmProvider provider;  // opening a provider is costly; it is thread-safe to share
  if (!provider.handle) return false;
  HashObject hash;
  if (!BCRYPT_SUCCESS(::BCryptCreateHash(provider.handle, &hash.handle, nullptr, 0, nullptr, 0, 0))) return false;
  // BCryptHashData takes a ULONG length: feed large inputs in pieces.
  auto* bytes = reinterpret_cast<PUCHAR>(const_cast<char*>(data.data()));
  size_t remaining = data.size();
  while (remaining > 0) {
    const ULONG chunk = remaining > 0x40000000u ? 0x40000000u : static_cast<ULONG>(remaining);
    if (!BCRYPT_SUCCESS(::BCryptHashData(hash.handle, bytes, chunk, 0))) return false;
    bytes += chunk;
    remaining -= chunk;
  }
  if (!BCRYPT_SUCCESS(::BCryptFinishHash(hash.handle, digest.data(), static_cast<ULONG>(digest.size()), 0))) {
    digest.fill(0);
    return false;
  }
  return true;
}

bool secureRandom32(std::uint32_t& value) {
  return BCRYPT_SUCCESS(::BCryptGenRandom(nullptr, reinterpret_cast<PUCHAR>(&value), sizeof value,
                                          BCRYPT_USE_SYSTEM_PREFERRED_RNG));
}

}  // namespace vyrn::platform
