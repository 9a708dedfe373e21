#include <gtest/gtest.h>

#include <regex>
#include <string>

#include "sdk/base_pc_request.h"
#include "sdk/get_harrowen_game_request.h"
#include "sdk/request_signature.h"
#include "support/debug_capture.h"

namespace {

using ObrelSdk::md5Hex;
using ObrelSdk::signedBody;

constexpr char kKey[] = "RVKMXA52F39B720EA6TqW3bmRsaXvk7=";

class TwoParamRequest : public ObrelSdk::BasePcRequest {
 public:
  TwoParamRequest() {
    params["b"] = "2";
    params["a"] = "1";
  }
  std::string getApiPath() const override { return "/x"; }
};

class NoParamRequest : public ObrelSdk::BasePcRequest {
 public:
  std::string getApiPath() const override { return "/none"; }
};

TEST(SignedBody, SignsParametersTimeAndKey) {
  const std::string expected =
      "game_id=44&time=17000000007&sign=" + md5Hex(std::string("game_id=44&time=17000000007&") + kKey);
  EXPECT_EQ(signedBody("game_id=44", "17000000007"), expected);
  EXPECT_EQ(signedBody("", "1"), "&time=1&sign=" + md5Hex(std::string("&time=1&") + kKey));
}

TEST(TimeValue, IsSecondsFollowedByUnpaddedMilliseconds) {
  const std::regex shape("^[0-9]{11,13}$");
  for (int i = 0; i < 50; ++i) EXPECT_TRUE(std::regex_match(ObrelSdk::currentTimeValue(), shape));
}

TEST(BasePcRequest, BodyOrdersParametersByName) {
  vyrn::test::DebugCapture capture;
  const std::string body = TwoParamRequest().getPostContent();
  EXPECT_TRUE(std::regex_match(body, std::regex("^a=1&b=2&time=[0-9]{11,13}&sign=[0-9a-f]{32}$"))) << body;
  const std::string head = body.substr(0, body.find("&sign="));
  EXPECT_EQ(body.substr(body.find("&sign=") + 6), md5Hex(head + "&" + kKey));
  EXPECT_TRUE(capture.hasLine("BasePcRequest::getPostContent = " + body));
}

TEST(BasePcRequest, WithoutParametersTheBodyStartsWithTime) {
  const std::string body = NoParamRequest().getPostContent();
  EXPECT_EQ(body.rfind("&time=", 0), 0u) << body;
}

TEST(GetHarrowenGameRequest, PostsGame44ToThePackagePath) {
  vyrn::test::DebugCapture capture;
  const ObrelSdk::GetHarrowenGameRequest request;
  const std::string url = request.getPostUrl();
  EXPECT_EQ(url.rfind("http://", 0), 0u);
  EXPECT_EQ(url.substr(url.size() - 31), "/api/Package/getHarrowenPackage");
  EXPECT_TRUE(capture.hasLine("BasePcRequest::getPostUrl = " + url));
  EXPECT_EQ(request.getPostContent().rfind("game_id=44&time=", 0), 0u);
}

}  // namespace
