#include "sdk/curl_easy.h"

#include <mutex>

namespace vyrn::sdk {

CurlEasy makeCurlEasy() {
  static std::once_flag initialised;
  std::call_once(initialised, [] { curl_global_init(CURL_GLOBAL_ALL); });
  return CurlEasy(curl_easy_init());
}

}  // namespace vyrn::sdk
