#include "support/api_server_control.h"

#include <json/json.h>

#include <memory>

#include "sdk/api_host.h"
#include "support/http_fetch.h"

namespace vyrn::test {
namespace {

std::string request(const std::string& path, const std::string* postBody) {
  return httpFetch(std::string("http://") + kApiHost + path, postBody, "API test server");
}

std::string latin1ToJsonString(const std::string& bytes) {
  // The server reads the body as latin-1, so every byte travels as one code point.
  std::string utf8;
  for (const unsigned char byte : bytes) {
    if (byte < 0x80) {
      utf8 += static_cast<char>(byte);
    } else {
      utf8 += static_cast<char>(0xC0 | (byte >> 6));
      utf8 += static_cast<char>(0x80 | (byte & 0x3F));
    }
  }
  return utf8;
}

std::string utf8ToLatin1(const std::string& utf8) {
  std::string bytes;
  for (size_t i = 0; i < utf8.size(); ++i) {
    const unsigned char byte = static_cast<unsigned char>(utf8[i]);
    if (byte < 0x80 || i + 1 >= utf8.size()) {
      bytes += static_cast<char>(byte);
    } else {
      bytes += static_cast<char>(((byte & 0x03) << 6) | (static_cast<unsigned char>(utf8[++i]) & 0x3F));
    }
  }
  return bytes;
}

}  // namespace

std::string ApiServerControl::apiUrl() { return std::string("http://") + kApiHost + "/api/Package/getHarrowenPackage"; }

void ApiServerControl::reset() {
  const std::string empty;
  request("/_control/reset", &empty);
}

void ApiServerControl::queueReply(int status, const std::string& body, double delaySeconds) {
  Json::Value answer;
  answer["status"] = status;
  answer["body"] = latin1ToJsonString(body);
  answer["delay"] = delaySeconds;
  const std::string text = Json::FastWriter().write(answer);
  request("/_control/reply", &text);
}

RecordedRequest ApiServerControl::last() {
  Json::Value root;
  std::unique_ptr<Json::CharReader> reader(Json::CharReaderBuilder().newCharReader());
  const std::string text = request("/_control/last", nullptr);
  reader->parse(text.data(), text.data() + text.size(), &root, nullptr);
  RecordedRequest recorded;
  recorded.count = root["count"].asInt();
  const Json::Value& last = root["last"];
  if (last.isObject()) {
    recorded.body = utf8ToLatin1(last["body"].asString());
    recorded.contentType = last["content_type"].asString();
    recorded.signatureOk = last["sign_ok"].asBool();
    recorded.timeValueOk = last["time_ok"].asBool();
    recorded.sentUserAgent = !last["user_agent"].isNull();
  }
  return recorded;
}

}  // namespace vyrn::test
