// A stand-in for Game.exe. Next to itself it writes:
//   command_line.txt  its whole command line (UTF-8)
//   window.txt        the handle of its main window, titled "Vyrn"
//   game_log.txt      what it did, one line per step, "finished" last
// and it follows cue.txt next to itself, one step per line:
//   sleep <ms> | send <text> | close | exit
// The WebSocket address comes from its command line, as the launcher gives it.

#include <windows.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

#include "game_link/ws_test_client.h"

namespace {

std::wstring gFolder;

std::string utf8(const std::wstring& text) {
  const int size = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr,
                                         nullptr);
  std::string result(static_cast<size_t>(size), '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), result.data(), size, nullptr, nullptr);
  return result;
}

void writeFile(const wchar_t* name, const std::string& bytes) {
  std::ofstream out(std::filesystem::path(gFolder + name), std::ios::binary | std::ios::trunc);
  out << bytes;
}

void logStep(const std::string& line) {
  std::ofstream out(std::filesystem::path(gFolder + L"game_log.txt"), std::ios::binary | std::ios::app);
  out << line << "\n";
}

std::string webSocketAddress(const std::wstring& commandLine) {
  const std::wstring key = L"web_socket!=!";
  const size_t start = commandLine.find(key);
  if (start == std::wstring::npos) return {};
  const size_t from = start + key.size();
  return utf8(commandLine.substr(from, commandLine.find(L',', from) - from));
}

void followCue(const std::string& address, HWND window) {
  vyrn::test::WsTestClient client;
  bool connected = false;
  for (int attempt = 0; attempt < 50 && !connected; ++attempt) {
    connected = client.connect(address, std::chrono::seconds(2));
    if (!connected) ::Sleep(100);
  }
  logStep(connected ? "connected" : "not connected");
  std::ifstream cue(std::filesystem::path(gFolder + L"cue.txt"), std::ios::binary);
  std::string line;
  while (std::getline(cue, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const std::string step = line.substr(0, line.find(' '));
    const std::string argument = line.find(' ') == std::string::npos ? "" : line.substr(line.find(' ') + 1);
    if (step == "sleep") {
      ::Sleep(static_cast<DWORD>(std::stoul(argument)));
    } else if (step == "send") {
      logStep(client.sendText(argument) ? "sent " + argument : "not sent " + argument);
    } else if (step == "close") {
      logStep(client.close() ? "closed" : "not closed");
    } else if (step == "exit") {
      break;
    }
  }
  logStep("finished");
  ::PostMessageW(window, WM_CLOSE, 0, 0);
}

LRESULT CALLBACK windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_DESTROY) {
    ::PostQuitMessage(0);
    return 0;
  }
  return ::DefWindowProcW(hwnd, message, wParam, lParam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  wchar_t path[MAX_PATH] = {};
  ::GetModuleFileNameW(nullptr, path, MAX_PATH);
  gFolder = path;
  gFolder.resize(gFolder.rfind(L'\\') + 1);

  const std::wstring commandLine = ::GetCommandLineW();
  writeFile(L"command_line.txt", utf8(commandLine));

  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = windowProc;
  windowClass.hInstance = instance;
  windowClass.lpszClassName = L"VyrnFakeGame";
  ::RegisterClassW(&windowClass);
  HWND window = ::CreateWindowExW(0, L"VyrnFakeGame", L"Vyrn", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 320, 200,
                                  nullptr, nullptr, instance, nullptr);
  std::ostringstream handle;
  handle << reinterpret_cast<uintptr_t>(window);
  writeFile(L"window.txt", handle.str());

  std::thread game(followCue, webSocketAddress(commandLine), window);
  MSG message;
  while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
    ::TranslateMessage(&message);
    ::DispatchMessageW(&message);
  }
  game.join();
  return 0;
}
