#include "support/http_fetch.h"

#include <stdexcept>

#include "sdk/curl_easy.h"

namespace vyrn::test {
namespace {

size_t appendText(char* data, size_t size, size_t count, void* out) {
  static_cast<std::string*>(out)->append(data, size * count);
  return size * count;
}

}  // namespace

std::string httpFetch(const std::string& url, const std::string* postBody, const std::string& peerName) {
  const sdk::CurlEasy curl = sdk::makeCurlEasy();
  std::string reply;
  curl_easy_setopt(curl.get(), CURLOPT_URL, url.c_str());
  curl_easy_setopt(curl.get(), CURLOPT_WRITEFUNCTION, &appendText);
  curl_easy_setopt(curl.get(), CURLOPT_WRITEDATA, &reply);
  curl_easy_setopt(curl.get(), CURLOPT_TIMEOUT, 10L);
  if (postBody) {
    curl_easy_setopt(curl.get(), CURLOPT_POSTFIELDSIZE, static_cast<long>(postBody->size()));
    curl_easy_setopt(curl.get(), CURLOPT_COPYPOSTFIELDS, postBody->c_str());
  }
  if (curl_easy_perform(curl.get()) != CURLE_OK) throw std::runtime_error(peerName + " unreachable at " + url);
  return reply;
}

}  // namespace vyrn::test
