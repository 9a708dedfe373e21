// The package query against the loopback API stand-in, which checks each
// request's signature with its own MD5 and answers what a case queues.

#include "sdk/api.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "sdk/base_pc_request.h"
#include "support/api_server_control.h"
#include "support/debug_capture.h"

namespace {

using namespace std::chrono_literals;
using vyrn::test::ApiServerControl;

// What one query delivered, collected from the worker thread.
struct Outcome {
  bool success = false;
  std::string versionName;
  bool isAllowUpdate = false;
  std::string packageLink;
  std::string updatePackageLink;
  std::string failure;
};

class Deliveries {
 public:
  void add(Outcome outcome) {
    std::lock_guard<std::mutex> lock(mutex_);
    outcomes_.push_back(std::move(outcome));
    changed_.notify_all();
  }
  void clear() {
    std::lock_guard<std::mutex> lock(mutex_);
    outcomes_.clear();
  }
  std::vector<Outcome> waitFor(size_t count, std::chrono::milliseconds timeout = 15s) {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait_for(lock, timeout, [&] { return outcomes_.size() >= count; });
    return outcomes_;
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<Outcome> outcomes_;
};

// Like the main window that owns it, an Api object must outlive its queries'
// worker threads, so each test's Api lives until the process ends.
ObrelSdk::Api& longLivedApi() {
  static std::deque<ObrelSdk::Api> apis;
  static std::mutex mutex;
  std::lock_guard<std::mutex> lock(mutex);
  return apis.emplace_back();
}

class ApiTest : public ::testing::Test {
 protected:
  void SetUp() override {
    server_.reset();
    auto deliveries = deliveries_;
    api_.m_GetPackSuccCallBack = [deliveries](std::string versionName, bool allow, std::string link,
                                              std::string update) {
      deliveries->add({true, versionName, allow, link, update, {}});
    };
    api_.m_GetPackFailCallBack = [deliveries](std::string message) {
      deliveries->add({false, {}, false, {}, {}, message});
    };
  }

  Outcome query(const std::string& reply, int status = 200) {
    deliveries_->clear();
    server_.queueReply(status, reply);
    api_.getHarrowenGamePackage();
    const auto outcomes = deliveries_->waitFor(1);
    if (outcomes.empty()) throw std::runtime_error("no delivery");
    return outcomes.front();
  }

  ApiServerControl server_;
  ObrelSdk::Api& api_ = longLivedApi();
  std::shared_ptr<Deliveries> deliveries_ = std::make_shared<Deliveries>();
};

TEST_F(ApiTest, SuccessDeliversVersionPermissionAndLinks) {
  vyrn::test::DebugCapture capture;
  const Outcome outcome = query(
      R"({"code":0,"msg":"","data":{"package_link":"http://h/full.7z","update_package_link":"http://h/up.7z",)"
      R"("version":"5","version_name":"1.2.3.4","is_allow_update":"1"}})");
  ASSERT_TRUE(outcome.success) << outcome.failure;
  EXPECT_EQ(outcome.versionName, "1.2.3.4");
  EXPECT_TRUE(outcome.isAllowUpdate);
  EXPECT_EQ(outcome.packageLink, "http://h/full.7z");
  EXPECT_EQ(outcome.updatePackageLink, "http://h/up.7z");
  EXPECT_TRUE(capture.hasLine("Api::getHarrowenGamePackage, postUrl = " + ApiServerControl::apiUrl()));
  EXPECT_TRUE(capture.hasLine("NULL != m_GetPackSuccCallBack"));

  const auto recorded = server_.last();
  EXPECT_EQ(recorded.count, 1);
  EXPECT_TRUE(recorded.signatureOk) << recorded.body;
  EXPECT_TRUE(recorded.timeValueOk) << recorded.body;
  EXPECT_EQ(recorded.body.rfind("game_id=44&time=", 0), 0u);
  EXPECT_EQ(recorded.contentType, "application/x-www-form-urlencoded");
  EXPECT_FALSE(recorded.sentUserAgent);
}

TEST_F(ApiTest, UpdatePermissionIsTrueOnlyForOne) {
  const std::pair<const char*, bool> cases[] = {
      {R"("1")", true}, {"1", true}, {R"("0")", false}, {R"("true")", false}, {"true", false}, {"null", false},
  };
  for (const auto& [value, expected] : cases) {
    const Outcome outcome = query(std::string(R"({"code":0,"data":{"is_allow_update":)") + value + "}}");
    ASSERT_TRUE(outcome.success) << value << ": " << outcome.failure;
    EXPECT_EQ(outcome.isAllowUpdate, expected) << value;
  }
}

TEST_F(ApiTest, ReplyShapes) {
  struct Case {
    const char* name;
    std::string reply;
    int status;
    bool success;
    std::string text;  // version_name on success, the failure text otherwise
  };
  const Case cases[] = {
      {"no data", R"({"code":0})", 200, true, ""},
      {"no code", R"({"data":{"version_name":"2.0.0.0"}})", 200, true, "2.0.0.0"},
      {"comments", "/* c */ {\"code\": 0, // x\n \"data\": {\"version_name\": \"3.0.0.0\"}}", 200, true, "3.0.0.0"},
      {"number as text", R"({"code":0,"data":{"version_name":1.5}})", 200, true, "1.5"},
      {"fractional code", R"({"code":0.7,"data":{"version_name":"x"}})", 200, true, "x"},
      {"text cut at NUL", R"({"code":0,"data":{"version_name":"1.0\u0000junk"}})", 200, true, "1.0"},
      {"error status with JSON", R"({"code":0,"data":{"version_name":"4"}})", 500, true, "4"},
      {"refusal", R"({"code":1,"msg":"游戏不存在"})", 200, false, "游戏不存在"},
      {"code true", R"({"code":true,"msg":"m"})", 200, false, "m"},
      {"code as text", R"({"code":"0"})", 200, false, "Value is not convertible to Int."},
      {"html page", "<html><body>502 Bad Gateway</body></html>", 502, false, "解析服务器返回结果错误。"},
      {"empty body", "", 200, false, "解析服务器返回结果错误。"},
  };
  for (const auto& c : cases) {
    const Outcome outcome = query(c.reply, c.status);
    EXPECT_EQ(outcome.success, c.success) << c.name;
    EXPECT_EQ(c.success ? outcome.versionName : outcome.failure, c.text) << c.name;
  }
}

TEST_F(ApiTest, WrongShapesFailWithTheLibrarysText) {
  const char* replies[] = {R"([1,2])", R"({"code":0,"data":[1]})", R"({"code":0,"data":{"package_link":{}}})"};
  for (const char* reply : replies) {
    const Outcome outcome = query(reply);
    EXPECT_FALSE(outcome.success) << reply;
    EXPECT_FALSE(outcome.failure.empty()) << reply;
  }
}

TEST_F(ApiTest, SuccessCallbackThatThrowsReachesTheFailureCallback) {
  api_.m_GetPackSuccCallBack = [](std::string, bool, std::string, std::string) {
    throw std::runtime_error("handler broke");
  };
  const Outcome outcome = query(R"({"code":0})");
  EXPECT_FALSE(outcome.success);
  EXPECT_EQ(outcome.failure, "handler broke");
}

TEST_F(ApiTest, TwoQueriesAreIndependent) {
  server_.queueReply(200, R"({"code":0,"data":{"version_name":"slow"}})", 0.5);
  server_.queueReply(200, R"({"code":0,"data":{"version_name":"fast"}})");
  api_.getHarrowenGamePackage();
  // The first request must take the first (slow) answer before the second asks.
  for (int i = 0; i < 500 && server_.last().count < 1; ++i) std::this_thread::sleep_for(10ms);
  ASSERT_EQ(server_.last().count, 1);
  api_.getHarrowenGamePackage();
  const auto outcomes = deliveries_->waitFor(2);
  ASSERT_EQ(outcomes.size(), 2u);
  EXPECT_EQ(outcomes[0].versionName, "fast");  // delivered in the order the replies arrive
  EXPECT_EQ(outcomes[1].versionName, "slow");
}

TEST_F(ApiTest, EmptyCallbacksDropTheOutcome) {
  vyrn::test::DebugCapture capture;
  ObrelSdk::Api& silent = longLivedApi();
  server_.queueReply(200, R"({"code":0})");
  silent.getHarrowenGamePackage();
  ASSERT_TRUE(capture.waitForLine("res == CURLE_OK\n"));
  EXPECT_FALSE(capture.hasLine("NULL != m_GetPackSuccCallBack"));
}

// The raw POST, below the package query.
class PostTest : public ::testing::Test {
 protected:
  void SetUp() override { server_.reset(); }
  ApiServerControl server_;
  std::shared_ptr<Deliveries> deliveries_ = std::make_shared<Deliveries>();
  ObrelSdk::BasePcRequest::SuccessCallback onSuccess() {
    return [deliveries = deliveries_](std::string reply) { deliveries->add({true, reply, false, {}, {}, {}}); };
  }
  ObrelSdk::BasePcRequest::FailureCallback onFailure() {
    return [deliveries = deliveries_](std::string message) { deliveries->add({false, {}, false, {}, {}, message}); };
  }
};

TEST_F(PostTest, ErrorStatusStillDeliversTheBody) {
  vyrn::test::DebugCapture capture;
  server_.queueReply(500, "abc");
  ObrelSdk::BasePcRequest::postAsync(ApiServerControl::apiUrl(), "a=1", onSuccess(), onFailure());
  const auto outcomes = deliveries_->waitFor(1);
  ASSERT_EQ(outcomes.size(), 1u);
  EXPECT_TRUE(outcomes[0].success);
  EXPECT_EQ(outcomes[0].versionName, "abc");
  EXPECT_TRUE(capture.waitForLine("abc"));  // the body is logged after the callback
}

TEST_F(PostTest, NoServerListeningIsAFailure) {
  vyrn::test::DebugCapture capture;
  // Port 9 (discard) on loopback: nothing listens there on the test machines.
  ObrelSdk::BasePcRequest::postAsync("http://127.0.0.1:9/x", "a=1", onSuccess(), onFailure());
  const auto outcomes = deliveries_->waitFor(1);
  ASSERT_EQ(outcomes.size(), 1u);
  EXPECT_FALSE(outcomes[0].success);
  EXPECT_EQ(outcomes[0].failure, "请求后端服务失败。");
  EXPECT_TRUE(capture.hasLine("res != CURLE_OK\n"));
}

TEST_F(PostTest, LongBodiesArePostedWhole) {
  std::string body = "k=";
  body.append(5000, 'v');
  body += "&tail=end";
  ObrelSdk::BasePcRequest::postAsync(ApiServerControl::apiUrl(), body, onSuccess(), onFailure());
  ASSERT_EQ(deliveries_->waitFor(1).size(), 1u);
  EXPECT_EQ(server_.last().body, body);
}

TEST_F(PostTest, EmptyCallbacksOnlyLog) {
  vyrn::test::DebugCapture capture;
  ObrelSdk::BasePcRequest::postAsync("http://127.0.0.1:9/x", "a=1", nullptr, nullptr);
  EXPECT_TRUE(capture.waitForLine("res != CURLE_OK\n"));
}

}  // namespace
