// The main window's game start against a fake game (fake_game.exe, copied as
// Game.exe into a launcher folder with blanks): its command line, the search
// for its window, and what its messages and connection closes do.

#include "app/main_window.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "device/text_encoding.h"
#include "game_link/ws_test_client.h"
#include "platform/code_page.h"
#include "support/debug_capture.h"
#include "support/file_util.h"
#include "support/temp_folder.h"

namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

constexpr uint16_t kPort = VYRN_GAME_LINK_TEST_PORT;
const std::string kAddress = "ws://127.0.0.1:" + std::to_string(kPort) + "/vyrn/harrowen";
const std::string kDeviceId = "0f1e2d3c-4b5a-6978-8796-a5b4c3d2e1f0";

fs::path testProgramFolder() {
  wchar_t path[MAX_PATH] = {};
  ::GetModuleFileNameW(nullptr, path, MAX_PATH);
  return fs::path(path).parent_path();
}

std::string handleText(void* handle) {
  char text[32];
  std::snprintf(text, sizeof text, "%p", handle);
  return text;
}

// True when `expected` occurs in `lines` in this order, other lines between.
bool inOrder(const std::vector<std::string>& lines, const std::vector<std::string>& expected) {
  auto next = lines.begin();
  for (const auto& line : expected) {
    next = std::find(next, lines.end(), line);
    if (next == lines.end()) return false;
    ++next;
  }
  return true;
}

std::vector<std::string> linesStartingWith(const std::vector<std::string>& lines,
                                           const std::vector<std::string>& prefixes) {
  std::vector<std::string> result;
  for (const auto& line : lines)
    for (const auto& prefix : prefixes)
      if (line.rfind(prefix, 0) == 0) {
        result.push_back(line);
        break;
      }
  return result;
}

class GameLink : public testing::Test {
 protected:
  void SetUp() override {
    launcherDir_ = temp_.path() / "launcher dir";
    gameDir_ = launcherDir_ / "vyrn";
    fs::create_directories(gameDir_);
    fs::copy_file(testProgramFolder() / "fake_game.exe", gameDir_ / "Game.exe");
    // Never freed, like the launcher's own: detached threads use them to the end.
    server_ = new ObrelSdk::WebSocketServer;
    window_ = new VyrnGameLauncherHarrowen(*server_, kPort);
    ASSERT_TRUE(window_->Create());
    window_->mExePath = vyrn::wideToAnsi((gameDir_ / "Game.exe").wstring());
    window_->mModuleDir = vyrn::wideToAnsi(launcherDir_.wstring());
    window_->mDeviceId = kDeviceId;
    window_->mCode = "abc";
    window_->mHnTag = "";
  }

  void TearDown() override {
    // The game outlives the launcher; wait for it before the folder goes.
    for (int waited = 0; waited < 10000 && fs::exists(gameDir_ / "Game.exe"); waited += 100) {
      std::error_code ignored;
      fs::remove(gameDir_ / "Game.exe", ignored);
      if (fs::exists(gameDir_ / "Game.exe")) ::Sleep(100);
    }
  }

  void cue(const std::vector<std::string>& steps) {
    std::string text;
    for (const auto& step : steps) text += step + "\n";
    vyrn::test::writeBytes(gameDir_ / "cue.txt", text);
  }

  // Starts the game from a "login" thread as the launcher does and runs the
  // main window's message loop. The exit code of the loop, -1 on time-out.
  int runLauncher(std::function<void()> alongside = nullptr) {
    std::atomic<bool> ended{false};
    std::thread observer([&] {
      while (!ended) {
        if (HWND found = window_->mGameHwnd.load()) foundGameWindow_ = found;
        ::Sleep(10);
      }
    });
    std::thread login([this] { window_->StartGame(); });
    std::thread extra(alongside ? std::move(alongside) : [] {});
    const UINT_PTR timer = ::SetTimer(nullptr, 0, 30000, nullptr);
    int code = -1;
    MSG message;
    for (;;) {
      const BOOL got = ::GetMessageW(&message, nullptr, 0, 0);
      if (got == 0) {
        code = static_cast<int>(message.wParam);
        break;
      }
      if (got < 0 || (message.message == WM_TIMER && message.hwnd == nullptr)) break;
      ::DispatchMessageW(&message);
    }
    ::KillTimer(nullptr, timer);
    login.join();
    extra.join();
    ended = true;
    observer.join();
    return code;
  }

  std::wstring expectedCommandLine(const std::string& hnTag) const {
    return (gameDir_ / "Game.exe").wstring() + L" web_socket!=!" + vyrn::ansiToWide(kAddress) + L",code!=!abc" +
           L",device!=!" + vyrn::ansiToWide(kDeviceId) + L",hn_tag!=!" + vyrn::ansiToWide(hnTag);
  }
  std::string gameCommandLine() const { return vyrn::test::readBytes(gameDir_ / "command_line.txt"); }
  std::string gameLog() const { return vyrn::test::readBytes(gameDir_ / "game_log.txt"); }
  void* gameWindow() const {
    return reinterpret_cast<void*>(std::stoull(vyrn::test::readBytes(gameDir_ / "window.txt")));
  }

  vyrn::test::TempFolder temp_;
  fs::path launcherDir_;
  fs::path gameDir_;
  ObrelSdk::WebSocketServer* server_ = nullptr;
  VyrnGameLauncherHarrowen* window_ = nullptr;
  HWND foundGameWindow_ = nullptr;
  vyrn::test::DebugCapture capture_;
};

std::string utf8(const std::wstring& text) { return vyrn::platform::fromWide(vyrn::platform::CodePage::Utf8, text); }

TEST_F(GameLink, GameExitEndsTheLauncherOfAGameStartedWithTheAgreedCommandLine) {
  // What the unquoted command line alone would start: "...\launcher" + ".exe".
  fs::copy_file(testProgramFolder() / "fake_game.exe", temp_.path() / "launcher.exe");
  cue({"sleep 1500", R"(send {"cmd":"game_exit"})", "sleep 300", "exit"});
  ASSERT_EQ(runLauncher(), 0);
  EXPECT_FALSE(fs::exists(temp_.path() / "command_line.txt"));

  // Unquoted path with blanks first, the empty platform tag last.
  EXPECT_EQ(gameCommandLine(), utf8(expectedCommandLine("")));
  const auto wide = capture_.wideLines();
  EXPECT_NE(std::find(wide.begin(), wide.end(), expectedCommandLine("")), wide.end());
  EXPECT_NE(gameLog().find("connected\n"), std::string::npos);
  EXPECT_EQ(foundGameWindow_, gameWindow());
  EXPECT_EQ(window_->mGameHwnd.load(), nullptr);
  EXPECT_FALSE(window_->mRunning);
  const auto lines = capture_.narrowLines();
  EXPECT_TRUE(inOrder(lines, {"开启游戏~！", "startWebSocketServer~！", "NULL == mGameHwnd， FindWindowEx",
                              "OnWebSocketOpenCallback", R"(OnWebSocketMessageCallback: {"cmd":"game_exit"})",
                              "VyrnGameLauncherHarrowen OnClose!!!"}));
}

TEST_F(GameLink, CommandLineCarriesTheValuesAsTheyStand) {
  window_->mCode = "c=1&x";
  window_->mHnTag = "7";
  cue({"close", "exit"});
  ASSERT_EQ(runLauncher(), 0);
  const std::wstring expected = (gameDir_ / "Game.exe").wstring() + L" web_socket!=!" + vyrn::ansiToWide(kAddress) +
                                L",code!=!c=1&x,device!=!" + vyrn::ansiToWide(kDeviceId) + L",hn_tag!=!7";
  EXPECT_EQ(gameCommandLine(), utf8(expected));
}

TEST_F(GameLink, TheGameClosingItsConnectionEndsTheLauncher) {
  cue({"sleep 200", "close", "sleep 300", "exit"});
  ASSERT_EQ(runLauncher(), 0);
  EXPECT_TRUE(inOrder(capture_.narrowLines(),
                      {"OnWebSocketOpenCallback", "OnWebSocketCloseCallback", "VyrnGameLauncherHarrowen OnClose!!!"}));
}

TEST_F(GameLink, AnotherClientClosingAConnectionOnAnyPathEndsTheLauncher) {
  cue({"sleep 3000", "exit"});
  const int code = runLauncher([] {
    vyrn::test::WsTestClient client;
    for (int attempt = 0; attempt < 100 && !client.connect("ws://127.0.0.1:" + std::to_string(kPort) + "/elsewhere", 2s);
         ++attempt)
      ::Sleep(50);
    client.close();
  });
  ASSERT_EQ(code, 0);
  EXPECT_TRUE(inOrder(capture_.narrowLines(), {"OnWebSocketCloseCallback", "VyrnGameLauncherHarrowen OnClose!!!"}));
}

TEST_F(GameLink, PayMessagesOpenOnePayWindowAfterTheOther) {
  const std::string pay1 = R"({"cmd":"pay","param":{"qrcode":"QQ=="}})";
  const std::string pay2 = R"(/* comments are fine */ {"cmd":"pay","param":{"qrcode":"QkJCQg=="}})";
  const std::string pay3 = R"({"cmd":"pay"})";
  cue({"sleep 1500", "send " + pay1, "send " + pay2, "send " + pay3, R"(send {"cmd":"game_exit"})", "sleep 300",
       "exit"});
  ASSERT_EQ(runLauncher(), 0);

  const std::string opened = "PayWindow open: owner " + handleText(gameWindow()) + ", image " +
                             vyrn::wideToAnsi(launcherDir_.wstring()) + "\\qrcode.png, qrcode ";
  const std::vector<std::string> expected{
      "OnWebSocketMessageCallback: " + pay1, opened + "4 bytes", "PayWindow closed",
      "OnWebSocketMessageCallback: " + pay2, opened + "8 bytes", "PayWindow closed",
      "OnWebSocketMessageCallback: " + pay3, opened + "0 bytes", "PayWindow closed",
      R"(OnWebSocketMessageCallback: {"cmd":"game_exit"})", "VyrnGameLauncherHarrowen OnClose!!!",
  };
  EXPECT_EQ(linesStartingWith(capture_.narrowLines(),
                              {"OnWebSocketMessageCallback", "PayWindow", "VyrnGameLauncherHarrowen OnClose"}),
            expected);
}

TEST_F(GameLink, MessagesThatAreNoCommandsAreIgnored) {
  const std::string deep = std::string(5000, '[') + std::string(5000, ']');
  cue({"send not json", "send [1,2]", R"(send {"cmd":5})", R"(send {"cmd":"pay","param":"x"})",
       R"(send {"cmd":"pay","param":{"qrcode":7}})", R"(send {"cmd":"other"})", "send " + deep,
       R"(send /* the last one counts */ {"cmd":"game_exit"})", "sleep 300", "exit"});
  ASSERT_EQ(runLauncher(), 0);
  const auto lines = capture_.narrowLines();
  EXPECT_TRUE(linesStartingWith(lines, {"PayWindow"}).empty());
  const auto ignored = linesStartingWith(lines, {"OnWebSocketMessageCallback: not an object",
                                                 "OnWebSocketMessageCallback: \"param\"",
                                                 "OnWebSocketMessageCallback: ignored"});
  EXPECT_EQ(ignored.size(), 5u);
  EXPECT_TRUE(capture_.hasLine("VyrnGameLauncherHarrowen OnClose!!!"));
}

TEST_F(GameLink, APortInUseEndsTheLauncherWithoutStartingTheGame) {
  ObrelSdk::WebSocketServer holder;
  ASSERT_TRUE(holder.listen(kPort, "/vyrn/harrowen"));
  cue({"exit"});
  ASSERT_EQ(runLauncher(), 0);
  EXPECT_TRUE(inOrder(capture_.narrowLines(), {"开启游戏~！", "StartGame: the game link cannot listen, the launcher closes",
                                               "VyrnGameLauncherHarrowen OnClose!!!"}));
  EXPECT_FALSE(fs::exists(gameDir_ / "command_line.txt"));
}

}  // namespace
