#include <openssl/evp.h>
#include <sys/random.h>

#include "platform/crypto.h"

namespace vyrn::platform {

bool md5(std::string_view data, Md5Digest& digest) {
  digest.fill(0);
  unsigned int length = 0;
  if (EVP_Digest(data.data(), data.size(), digest.data(), &length, EVP_md5(), nullptr) != 1 ||
      length != digest.size()) {
    digest.fill(0);
    return false;
  }
  return true;
}

bool secureRandom32(std::uint32_t& value) { return getrandom(&value, sizeof value, 0) == sizeof value; }

}  // namespace vyrn::platform
