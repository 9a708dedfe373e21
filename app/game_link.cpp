// The main window's side of the game link: it starts the WebSocket server
// and the game, finds the game's window (the owner of pay windows), and
// reacts to the game's messages on the server thread.

#include <json/json.h>

#include <algorithm>
#include <exception>
#include <memory>
#include <sstream>
#include <string>
#include <thread>

#include "app/main_window.h"
#include "device/text_encoding.h"
#include "platform/debug_output.h"
#include "platform/files.h"
#include "platform/win32/unique_handle.h"
#include "ui/pay_window.h"

namespace {

using vyrn::platform::debugOutput;

constexpr char kGameLinkPath[] = "/vyrn/harrowen";
constexpr wchar_t kGameWindowTitle[] = L"Vyrn";
constexpr size_t kCommandLineUnits = 2048;  // terminator included
constexpr DWORD kSearchPauseMs = 100;       // while the game's window is not there yet
constexpr DWORD kFoundPauseMs = 300;

std::wstring widen(const std::string& text) { return vyrn::oemToWideBuffer(text).get(); }

// Gives the text of key in object: true with "" for a missing (or null)
// key, false when the value is there but not text.
bool readText(const Json::Value& object, const char* key, std::string& text) {
  const Json::Value& value = object[key];
  if (value.isNull()) {
    text.clear();
    return true;
  }
  if (!value.isString()) return false;
  text = value.asString();
  return true;
}

}  // namespace

void VyrnGameLauncherHarrowen::StartGame() {
  debugOutput("开启游戏~！");
  mServer.mOpenCallback = [this] { OnWebSocketOpenCallback(); };
  mServer.mMessageCallback = [this](std::string message) { OnWebSocketMessageCallback(std::move(message)); };
  mServer.mCloseCallback = [this] { OnWebSocketCloseCallback(); };

  // Listening before the game starts: its first connect cannot come too early.
  if (!mServer.listen(mGameLinkPort, kGameLinkPath)) {
    debugOutput("StartGame: the game link cannot listen, the launcher closes");
    ::SendMessageW(mHwnd, WM_CLOSE, 0, 0);
    return;
  }
  ObrelSdk::WebSocketServer& server = mServer;
  std::thread([&server] { server.runEventLoop(); }).detach();
  debugOutput("startWebSocketServer~！");

  const std::string address = "ws://127.0.0.1:" + std::to_string(mGameLinkPort) + kGameLinkPath;
  const std::wstring exePath = widen(mExePath);
  std::wstring text = exePath + L" web_socket!=!" + widen(address) + L",code!=!" + widen(mCode) + L",device!=!" +
                      widen(mDeviceId) + L",hn_tag!=!" + widen(mHnTag);
  text.resize(std::min(text.size(), kCommandLineUnits - 1));
  auto commandLine = std::make_unique<wchar_t[]>(kCommandLineUnits);  // zeroed
  text.copy(commandLine.get(), text.size());
  vyrn::platform::debugOutputWide(commandLine.get());

  // The executable is named on its own as well, so an unquoted path with
  // blanks cannot start a different program; the game sees the same line.
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (::CreateProcessW(exePath.c_str(), commandLine.get(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                       &process)) {
    vyrn::platform::win32::UniqueHandle processHandle(process.hProcess);
    vyrn::platform::win32::UniqueHandle threadHandle(process.hThread);
  } else {
    debugOutput("StartGame: CreateProcessW failed: " + vyrn::platform::lastErrorText());
  }

  std::thread([this] { SearchGameWindow(); }).detach();
  ::ShowWindow(mHwnd, SW_HIDE);
}

void VyrnGameLauncherHarrowen::SearchGameWindow() {
  while (mRunning) {
    if (mGameHwnd == nullptr) {
      debugOutput("NULL == mGameHwnd， FindWindowEx");
      const HWND found = ::FindWindowExW(nullptr, nullptr, nullptr, kGameWindowTitle);
      if (found == nullptr) {
        ::Sleep(kSearchPauseMs);
      } else if (mRunning) {
        mGameHwnd = found;
      }
    } else {
      ::Sleep(kFoundPauseMs);
    }
  }
}

void VyrnGameLauncherHarrowen::OnWebSocketOpenCallback() { debugOutput("OnWebSocketOpenCallback"); }

void VyrnGameLauncherHarrowen::OnWebSocketCloseCallback() {
  debugOutput("OnWebSocketCloseCallback");
  ::SendMessageW(mHwnd, WM_CLOSE, 0, 0);
}

void VyrnGameLauncherHarrowen::OnWebSocketMessageCallback(std::string message) {
  debugOutput("OnWebSocketMessageCallback: " + message);
  try {
    Json::CharReaderBuilder builder;
    builder["allowComments"] = true;
    Json::Value root;
    std::istringstream input(message);
    if (!Json::parseFromStream(builder, input, &root, nullptr)) return;
    std::string cmd;
    if (!root.isObject() || !readText(root, "cmd", cmd)) {
      debugOutput("OnWebSocketMessageCallback: not an object with a text \"cmd\", ignored");
      return;
    }
    if (cmd == "pay") {
      const Json::Value& param = root["param"];
      std::string qrText;
      if (!(param.isNull() || param.isObject()) || (param.isObject() && !readText(param, "qrcode", qrText))) {
        debugOutput("OnWebSocketMessageCallback: \"param\" is not an object with a text \"qrcode\", ignored");
        return;
      }
      OnPay(qrText);
    } else if (cmd == "game_exit") {
      ::SendMessageW(mHwnd, WM_CLOSE, 0, 0);
    }
  } catch (const std::exception& error) {
    debugOutput(std::string("OnWebSocketMessageCallback: ignored: ") + error.what());
  }
}

void VyrnGameLauncherHarrowen::OnPay(const std::string& qrText) {
  vyrn::showPayWindow(mGameHwnd.load(), qrText, mModuleDir + "\\qrcode.png");
}
