#include "sdk/base_pc_request.h"

#include <thread>

#include "platform/debug_output.h"
#include "sdk/api_host.h"
#include "sdk/curl_easy.h"
#include "sdk/request_signature.h"

namespace ObrelSdk {
namespace {

using vyrn::platform::debugOutput;

constexpr long kPostTimeoutSeconds = 10000;

size_t appendToReply(char* data, size_t size, size_t count, void* reply) {
  static_cast<std::string*>(reply)->append(data, size * count);
  return size * count;
}

}  // namespace

std::string BasePcRequest::getPostContent() const {
  std::string parameterText;
  for (const auto& [name, value] : params) parameterText += name + "=" + value + "&";
  if (!parameterText.empty()) parameterText.pop_back();
  const std::string body = signedBody(parameterText, currentTimeValue());
  debugOutput("BasePcRequest::getPostContent = " + body);
  return body;
}

std::string BasePcRequest::getPostUrl() const {
  const std::string url = std::string("http://") + vyrn::kApiHost + getApiPath();
  debugOutput("BasePcRequest::getPostUrl = " + url);
  return url;
}

void BasePcRequest::postAsync(const std::string& url, std::string body, SuccessCallback onSuccess,
                              FailureCallback onFailure) {
  std::thread(&BasePcRequest::postWorker, url, std::move(body), std::move(onSuccess), std::move(onFailure)).detach();
}

void BasePcRequest::postWorker(std::string url, std::string body, SuccessCallback onSuccess,
                               FailureCallback onFailure) {
  const vyrn::sdk::CurlEasy curl = vyrn::sdk::makeCurlEasy();
  if (!curl) {
    if (onFailure) onFailure("curl初始化失败。");
    return;
  }
  vyrn::sdk::CurlHeaderList headers(curl_slist_append(nullptr, "Content-Type: application/x-www-form-urlencoded"));
  std::string reply;
  curl_easy_setopt(curl.get(), CURLOPT_URL, url.c_str());
  curl_easy_setopt(curl.get(), CURLOPT_POST, 1L);
  curl_easy_setopt(curl.get(), CURLOPT_HTTPHEADER, headers.get());
  // The whole body is posted with its length, whatever its size or content.
  curl_easy_setopt(curl.get(), CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(body.size()));
  curl_easy_setopt(curl.get(), CURLOPT_POSTFIELDS, body.data());
  curl_easy_setopt(curl.get(), CURLOPT_TIMEOUT, kPostTimeoutSeconds);
  curl_easy_setopt(curl.get(), CURLOPT_WRITEFUNCTION, &appendToReply);
  curl_easy_setopt(curl.get(), CURLOPT_WRITEDATA, &reply);

  if (curl_easy_perform(curl.get()) != CURLE_OK) {
    debugOutput("res != CURLE_OK\n");
    if (onFailure) onFailure("请求后端服务失败。");
    return;
  }
  debugOutput("res == CURLE_OK\n");
  if (onSuccess) onSuccess(reply);
  debugOutput(reply);
}

}  // namespace ObrelSdk
