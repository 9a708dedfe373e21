// The game-link server against real clients on the loopback address: Debian's
// python3-websockets and a websocketpp client.

#include "sdk/web_socket_server.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <future>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "game_link/python_client.h"
#include "game_link/ws_test_client.h"
#include "support/debug_capture.h"

namespace {

using namespace std::chrono_literals;
using ObrelSdk::WebSocketServer;

constexpr uint16_t kPort = VYRN_GAME_LINK_TEST_PORT;
constexpr uint16_t kOtherPort = VYRN_GAME_LINK_TEST_PORT + 1;
const std::string kPath = "/vyrn/harrowen";

std::string url(const std::string& resource, const std::string& host = "127.0.0.1", uint16_t port = kPort) {
  return "ws://" + host + ":" + std::to_string(port) + resource;
}

// What the callbacks saw, in order: "open", "close", "message:<text>".
class Events {
 public:
  void add(std::string event) {
    std::lock_guard<std::mutex> lock(mutex_);
    events_.push_back(std::move(event));
    changed_.notify_all();
  }
  // Waits until `event` has been seen `count` times; returns all events.
  std::vector<std::string> waitFor(const std::string& event, size_t count = 1, std::chrono::milliseconds timeout = 10s) {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait_for(lock, timeout, [&] {
      size_t seen = 0;
      for (const auto& e : events_) seen += e == event;
      return seen >= count;
    });
    return events_;
  }
  std::vector<std::string> all() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return events_;
  }

 private:
  mutable std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<std::string> events_;
};

// A server whose callbacks record into `events`, its loop on a thread.
class ServerThread {
 public:
  explicit ServerThread(uint16_t port = kPort) {
    server.mOpenCallback = [this] { events.add("open"); };
    server.mCloseCallback = [this] { events.add("close"); };
    server.mMessageCallback = [this](std::string message) { events.add("message:" + message); };
    listening = server.listen(port, kPath);
    if (listening) loop_ = std::async(std::launch::async, [this] { server.runEventLoop(); });
  }
  ~ServerThread() {
    server.stop();
    if (loop_.valid()) loop_.wait();
  }
  bool loopReturnsWithin(std::chrono::milliseconds timeout) {
    return loop_.valid() && loop_.wait_for(timeout) == std::future_status::ready;
  }

  WebSocketServer server;
  Events events;
  bool listening = false;

 private:
  std::future<void> loop_;
};

struct Frame {
  bool text;
  std::string bytes;
};

enum class ClientKind { Python, Websocketpp };

// Connects to resource, sends frames and closes; false if that failed.
bool talk(ClientKind kind, const std::string& resource, const std::vector<Frame>& frames) {
  if (kind == ClientKind::Python) {
    std::vector<std::string> args{url(resource)};
    for (const auto& frame : frames) args.push_back((frame.text ? "t:" : "b:") + vyrn::test::hex(frame.bytes));
    return vyrn::test::runPythonClient(args) == 0;
  }
  vyrn::test::WsTestClient client;
  if (!client.connect(url(resource))) return false;
  for (const auto& frame : frames)
    if (!(frame.text ? client.sendText(frame.bytes) : client.sendBinary(frame.bytes))) return false;
  return client.close();
}

struct PathCase {
  std::string resource;
  bool delivered;
};

class ServerWithClient : public testing::TestWithParam<ClientKind> {};

TEST_P(ServerWithClient, DeliversMessagesOnlyForTheExactPathAndReportsEveryOpenAndClose) {
  const std::vector<Frame> frames{
      {true, R"({"cmd":"game_exit"})"},
      {true, u8"支付 ok"},
      {true, u8"ก"},  // not in code page 936
      {false, std::string("\x00\x7F\xFF", 3)},
  };
  const std::vector<std::string> converted{
      R"(message:{"cmd":"game_exit"})",
      "message:支付 ok",  // a narrow literal: code page 936 bytes
      "message:?",
      "message:00 7F FF ",
  };
  const PathCase cases[] = {
      {"/vyrn/harrowen", true},         {"/vyrn/harrowen?from=game", false}, {"/VYRN/harrowen", false},
      {"/vyrn/harrowen/", false},       {"/vyrn", false},                    {"/", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.resource);
    ServerThread running;
    ASSERT_TRUE(running.listening);
    ASSERT_TRUE(talk(GetParam(), c.resource, frames));
    std::vector<std::string> expected{"open"};
    if (c.delivered) expected.insert(expected.end(), converted.begin(), converted.end());
    expected.push_back("close");
    EXPECT_EQ(running.events.waitFor("close"), expected);
  }
}

INSTANTIATE_TEST_SUITE_P(Clients, ServerWithClient, testing::Values(ClientKind::Python, ClientKind::Websocketpp),
                         [](const auto& info) { return info.param == ClientKind::Python ? "python" : "websocketpp"; });

TEST(WebSocketServer, WritesItsDebugLines) {
  vyrn::test::DebugCapture capture;
  {
    ServerThread running;
    ASSERT_TRUE(running.listening);
    ASSERT_TRUE(talk(ClientKind::Websocketpp, kPath, {{true, u8"{\"t\":\"中\"}"}, {false, "AB"}}));
    running.events.waitFor("close");
  }
  const auto lines = capture.narrowLines();
  const std::vector<std::string> expected{
      "WebSocketServer run~~~",
      "on_open~~~",
      "on_msg_handler, msg->get_payload():" + std::string(u8"{\"t\":\"中\"}"),
      "on_msg_handler, message:{\"t\":\"中\"}",
      "on_msg_handler, msg->get_payload():AB",  // binary: no converted line
      "on_close~~~",
  };
  EXPECT_EQ(lines, expected);
}

TEST(WebSocketServer, StopEndsRunAndNoCallbackFollows) {
  WebSocketServer server;
  Events events;
  server.mOpenCallback = [&] { events.add("open"); };
  server.mMessageCallback = [&](std::string message) { events.add("message:" + message); };
  server.mCloseCallback = [&] { events.add("close"); };
  auto loop = std::async(std::launch::async, [&] { server.run(kPort, kPath); });

  vyrn::test::WsTestClient client;
  bool connected = false;
  for (int attempt = 0; attempt < 100 && !connected; ++attempt) {
    connected = client.connect(url(kPath), 2s);
    if (!connected) std::this_thread::sleep_for(50ms);
  }
  ASSERT_TRUE(connected);
  events.waitFor("open");
  server.stop();
  ASSERT_EQ(loop.wait_for(10s), std::future_status::ready);
  client.sendText("late");
  std::this_thread::sleep_for(300ms);
  EXPECT_EQ(events.all(), std::vector<std::string>{"open"});
}

TEST(WebSocketServer, StopBeforeRunMakesRunReturnAndFreesThePort) {
  {
    WebSocketServer server;
    server.stop();
    auto loop = std::async(std::launch::async, [&] { server.run(kPort, kPath); });
    ASSERT_EQ(loop.wait_for(10s), std::future_status::ready);
  }
  ServerThread again;
  EXPECT_TRUE(again.listening);
}

TEST(WebSocketServer, PortInUseIsReportedAndRunReturns) {
  ServerThread first(kOtherPort);
  ASSERT_TRUE(first.listening);
  vyrn::test::DebugCapture capture;
  WebSocketServer second;
  auto loop = std::async(std::launch::async, [&] { second.run(kOtherPort, kPath); });
  ASSERT_EQ(loop.wait_for(10s), std::future_status::ready);
  const std::string prefix = "WebSocketServer cannot listen on 127.0.0.1:" + std::to_string(kOtherPort) + ": ";
  bool reported = false;
  for (const auto& line : capture.narrowLines()) reported |= line.rfind(prefix, 0) == 0 && line.size() > prefix.size();
  EXPECT_TRUE(reported);
  // The first server still serves.
  EXPECT_TRUE(vyrn::test::runPythonClient({url(kPath, "127.0.0.1", kOtherPort)}) == 0);
}

#ifndef _WIN32
TEST(WebSocketServer, ListensOnTheLoopbackAddressOnly) {
  ServerThread running;
  ASSERT_TRUE(running.listening);
  EXPECT_EQ(vyrn::test::runPythonClient({url(kPath, "127.0.0.2")}), 3);
  EXPECT_EQ(vyrn::test::runPythonClient({url(kPath, "127.0.0.1")}), 0);
}
#endif

TEST(Utf8ToLocalText, ConvertsToCodePage936AndReplacesWhatItCannotHold) {
  struct Case {
    std::string utf8;
    std::string expected;
  };
  const Case cases[] = {
      {"", ""},
      {R"({"cmd":"pay"})", R"({"cmd":"pay"})"},
      {u8"开启游戏", "开启游戏"},
      {u8"a\u0E01b", "a?b"},      // Thai: not in 936
      {"\xC3(", "?("},            // invalid UTF-8
  };
  for (const auto& c : cases) EXPECT_EQ(ObrelSdk::utf8ToLocalText(c.utf8), c.expected) << c.utf8;
  // Beyond the 16-bit range: only default characters, however many.
  const std::string outside = ObrelSdk::utf8ToLocalText(u8"\U0001F600");
  EXPECT_FALSE(outside.empty());
  EXPECT_EQ(outside.find_first_not_of('?'), std::string::npos);
}

}  // namespace
