#include "sdk/api.h"

#include <json/json.h>

#include <cstring>
#include <exception>
#include <memory>

#include "platform/debug_output.h"
#include "sdk/get_harrowen_game_request.h"

namespace ObrelSdk {
namespace {

using vyrn::platform::debugOutput;

// JSON texts are passed on byte for byte, up to a NUL they may contain.
std::string textUntilNul(const Json::Value& value) {
  const std::string text = value.asString();
  return std::string(text.c_str(), std::strlen(text.c_str()));
}

bool parseReply(const std::string& reply, Json::Value& root) {
  Json::CharReaderBuilder builder;
  builder["allowComments"] = true;
  builder["collectComments"] = false;
  const std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
  const char* begin = reply.c_str();
  std::string errors;
  return reader->parse(begin, begin + std::strlen(begin), &root, &errors);
}

}  // namespace

void Api::getHarrowenGamePackage() {
  std::string body;
  std::string url;
  {
    const GetHarrowenGameRequest request;
    body = request.getPostContent();
    url = request.getPostUrl();
  }
  debugOutput("Api::getHarrowenGamePackage, postUrl = " + url);
  BasePcRequest::postAsync(
      url, body, [this](std::string reply) { onPostSuccess(std::move(reply)); },
      [this](std::string message) { onPostFailure(std::move(message)); });
}

void Api::onPostSuccess(std::string reply) {
  try {
    debugOutput(reply);
    Json::Value root;
    if (!parseReply(reply, root)) {
      if (m_GetPackFailCallBack) m_GetPackFailCallBack("解析服务器返回结果错误。");
      return;
    }
    if (root["code"].asInt() != 0) {
      if (m_GetPackFailCallBack) {
        const std::string message = root["msg"].asString();
        debugOutput(message);
        m_GetPackFailCallBack(message);
      }
      return;
    }
    if (!m_GetPackSuccCallBack) return;
    debugOutput("NULL != m_GetPackSuccCallBack");
    const Json::Value& data = root["data"];
    const std::string packageLink = textUntilNul(data["package_link"]);
    const std::string updatePackageLink = textUntilNul(data["update_package_link"]);
    const std::string version = textUntilNul(data["version"]);
    const std::string versionName = textUntilNul(data["version_name"]);
    const std::string isAllowUpdate = textUntilNul(data["is_allow_update"]);
    m_GetPackSuccCallBack(versionName, isAllowUpdate == "1", packageLink, updatePackageLink);
  } catch (const std::exception& error) {
    if (m_GetPackFailCallBack) {
      debugOutput(error.what());
      m_GetPackFailCallBack(error.what());
    }
  }
}

void Api::onPostFailure(std::string message) {
  if (!m_GetPackFailCallBack) return;
  debugOutput(message);
  m_GetPackFailCallBack(message);
}

}  // namespace ObrelSdk
