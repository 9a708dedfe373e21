#pragma once
// The launcher's main window: the controller of the launch. For now it holds
// the fields the game start needs, a plain native window whose close handler
// ends the launcher, and the game link (game_link.cpp): starting the game,
// finding its window and reacting to its messages.

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <string>

#include "sdk/web_socket_server.h"

class VyrnGameLauncherHarrowen {
 public:
  static constexpr uint16_t kGameLinkPort = 66;

  // Tests hand in a server and port of their own; the launcher uses the
  // process-wide server on the game link's port.
  explicit VyrnGameLauncherHarrowen(ObrelSdk::WebSocketServer& server = ObrelSdk::webSocketServer(),
                                    uint16_t gameLinkPort = kGameLinkPort);
  VyrnGameLauncherHarrowen(const VyrnGameLauncherHarrowen&) = delete;
  VyrnGameLauncherHarrowen& operator=(const VyrnGameLauncherHarrowen&) = delete;

  // Creates the (hidden) native window on the calling thread, which then runs
  // the message loop; sets mHwnd, mRunning and the module paths.
  bool Create();

  // Close handler of the main window (main thread): stops everything the game
  // link runs and ends the message loop. The window itself stays.
  LRESULT OnClose(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled);

  // Starts the game link and the game, then hides the launcher (login thread).
  void StartGame();

  HWND mHwnd = nullptr;
  // Shared with the window search and the server thread.
  std::atomic<HWND> mGameHwnd{nullptr};
  std::string mExePath;
  std::string mDeviceId;
  std::string mCode;
  std::string mState;
  std::string mHnTag;
  std::atomic<bool> mRunning{false};
  std::string mModulePath;
  std::string mModuleDir;

 private:
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

  void SearchGameWindow();
  void OnWebSocketOpenCallback();
  void OnWebSocketMessageCallback(std::string message);
  void OnWebSocketCloseCallback();
  void OnPay(const std::string& qrText);

  ObrelSdk::WebSocketServer& mServer;
  const uint16_t mGameLinkPort;
};
