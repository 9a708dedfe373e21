#pragma once
// The launcher's main window: the controller of the launch. For now it is a
// plain native window with a progress label and bar, whose close handler ends
// the launcher. The install flow (install_flow.cpp) takes the package query's
// answer to a download and an extraction; the game link (game_link.cpp)
// starts the game, finds its window and reacts to its messages.

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <string>

#include "sdk/api.h"
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

  // Reads the device id and logs the launcher's own arguments (main thread,
  // once the window exists).
  void OnLayoutLoaded();

  // Asks which package is current; the answer drives the install flow.
  void StartPackageQuery();

  // Starts the game link and the game, then hides the launcher (login thread).
  void StartGame();

  // The installed game's file version "a.b.c.d", or empty text.
  static std::string GetFileVersion(std::string path);

  // Install flow handlers, each on the worker thread that reports.
  void OnGetGameSuccCallback(std::string versionName, bool isAllowUpdate, std::string packageLink,
                             std::string updatePackageLink);
  void OnGetGameFailCallback(std::string message);
  void OnDownloadStart(std::int64_t localLength, std::int64_t totalLength);
  void OnDownloadProgress(double percent, double total, double done, double speed);
  void OnDownloadSucc(std::string archivePath);
  void OnExtractProgress(double share);
  void OnExtractSucc(std::wstring archivePath);
  void OnExtractFail(std::wstring archivePath, std::string error);
  void ShowLoginWindow();

  ObrelSdk::Api mApi;
  HWND mProgressLabel = nullptr;
  HWND mProgressBar = nullptr;

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

  enum class ProgressPhase { Download, Extraction };
  // Hands a whole percentage to the window's thread, which shows it.
  void ShowProgress(ProgressPhase phase, int percent);
  void OnProgressMessage(WPARAM phase, LPARAM percent);
  void StartDownload(const std::string& link, const std::string& archivePath);

  ObrelSdk::WebSocketServer& mServer;
  const uint16_t mGameLinkPort;
};
