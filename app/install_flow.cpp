// The main window's install flow: the answer of the package query decides
// between the login and a download; the download hands over to the
// extraction, which ends in the login or, after a failure, in a new query.
// Handlers run on the worker that reports; progress reaches the window's
// controls through a message to the window's own thread.

#include <windows.h>

#include <cstdio>
#include <memory>
#include <string>

#include "app/main_window.h"
#include "device/device_identity.h"
#include "device/make_dirs.h"
#include "device/resource_export.h"
#include "device/text_encoding.h"
#include "platform/debug_output.h"
#include "platform/files.h"
#include "sdk/bit7z_tool.h"
#include "sdk/http_downloader.h"

namespace {

using vyrn::platform::debugOutput;

constexpr char kGameShortName[] = "vyrn";
constexpr char kGameExeName[] = "Game.exe";
constexpr wchar_t kExtractionLibraryType[] = L"Dll7zxa";
constexpr char kExtractionLibraryFile[] = "\\ob7zxa.dll";

}  // namespace

std::string VyrnGameLauncherHarrowen::GetFileVersion(std::string path) {
  wchar_t widePath[MAX_PATH] = {};
  const std::wstring wide = vyrn::ansiToWide(path);
  if (wide.size() < MAX_PATH) wide.copy(widePath, wide.size());
  if (path.empty() || !vyrn::platform::pathExists(wide)) return {};

  DWORD ignored = 0;
  const DWORD size = ::GetFileVersionInfoSizeW(widePath, &ignored);
  if (size == 0) return {};
  const auto block = std::make_unique<unsigned char[]>(size);
  VS_FIXEDFILEINFO* info = nullptr;
  UINT infoSize = 0;
  if (!::GetFileVersionInfoW(widePath, 0, size, block.get()) ||
      !::VerQueryValueW(block.get(), L"\\", reinterpret_cast<void**>(&info), &infoSize) || infoSize < sizeof *info) {
    return {};  // a block without readable fixed information counts as no version
  }
  char text[64] = {};
  std::snprintf(text, sizeof text, "%d.%d.%d.%d", HIWORD(info->dwFileVersionMS), LOWORD(info->dwFileVersionMS),
                HIWORD(info->dwFileVersionLS), LOWORD(info->dwFileVersionLS));
  return text;
}

void VyrnGameLauncherHarrowen::StartPackageQuery() {
  mApi.m_GetPackSuccCallBack = [this](std::string versionName, bool isAllowUpdate, std::string packageLink,
                                      std::string updatePackageLink) {
    OnGetGameSuccCallback(versionName, isAllowUpdate, packageLink, updatePackageLink);
  };
  mApi.m_GetPackFailCallBack = [this](std::string message) { OnGetGameFailCallback(message); };
  mApi.getHarrowenGamePackage();
}

void VyrnGameLauncherHarrowen::OnGetGameFailCallback(std::string message) { debugOutput(message); }

void VyrnGameLauncherHarrowen::OnGetGameSuccCallback(std::string versionName, bool isAllowUpdate,
                                                     std::string packageLink, std::string updatePackageLink) {
  debugOutput("OnGetGameSuccCallback~~~");
  const std::string archivePath = mModuleDir + "\\" + kGameShortName + ".cache";
  mExePath = mModuleDir + "\\" + kGameShortName + "\\" + kGameExeName;
  debugOutput("gameFolder: " + mModuleDir);
  debugOutput("zipFileName: " + archivePath);
  debugOutput("exePath: " + mExePath);

  const std::string local = GetFileVersion(mExePath);
  debugOutput("local file_version: " + local + ", file version: " + versionName);

  if (local.empty()) {
    debugOutput("exe version info is empty. start download game");
    vyrn::makeDirs(mModuleDir + "\\");
    StartDownload(packageLink, archivePath);
  } else {
    debugOutput("exe version info is NOT empty.");
    if (local == versionName) {
      ShowLoginWindow();
    } else if (isAllowUpdate) {
      debugOutput("is_allow_update: true");
      StartDownload(updatePackageLink, archivePath);
    } else {
      debugOutput("is_allow_update: false");
      StartDownload(packageLink, archivePath);
    }
  }
  debugOutput(packageLink);
  debugOutput(updatePackageLink);
}

void VyrnGameLauncherHarrowen::StartDownload(const std::string& link, const std::string& archivePath) {
  ObrelSdk::downloadFile(
      link, archivePath, [this](std::int64_t local, std::int64_t total) { OnDownloadStart(local, total); },
      [this](double percent, double total, double done, double speed) {
        OnDownloadProgress(percent, total, done, speed);
      },
      [this](std::string path) { OnDownloadSucc(path); });
}

void VyrnGameLauncherHarrowen::OnDownloadStart(std::int64_t localLength, std::int64_t totalLength) {
  debugOutput("OnDownloadStart, localFileLength = " + std::to_string(localLength) +
              ", fileTotalLength = " + std::to_string(totalLength));
}

void VyrnGameLauncherHarrowen::OnDownloadProgress(double percent, double, double, double) {
  ShowProgress(ProgressPhase::Download, static_cast<int>(percent));
}

void VyrnGameLauncherHarrowen::OnExtractProgress(double share) {
  ShowProgress(ProgressPhase::Extraction, static_cast<int>(share * 100));
}

void VyrnGameLauncherHarrowen::OnDownloadSucc(std::string archivePath) {
  debugOutput("OnDownloadSucc, " + archivePath);
  const std::string gameFolder = mModuleDir + "\\" + kGameShortName;
  const std::wstring libraryPath = vyrn::ansiToWide(vyrn::getAppDataFolder(mHwnd) + kExtractionLibraryFile);
  vyrn::writeResourceToFile(kExtractionLibraryType, libraryPath);

  ObrelSdk::Bit7zTool tool;
  tool.mProgressCallback = [this](double share) { OnExtractProgress(share); };
  tool.mFinishCallback = [this](std::wstring path) { OnExtractSucc(path); };
  tool.mErrorCallback = [this](std::wstring path, std::string error) { OnExtractFail(path, error); };
  tool.mLibraryPath = libraryPath;
  tool.extract(vyrn::ansiToWide(archivePath), vyrn::ansiToWide(gameFolder));
}

namespace {

void deleteArchive(const std::wstring& archivePath) {
  if (vyrn::platform::deleteFile(archivePath))
    debugOutput("删除压缩文件成功！");
  else
    debugOutput(vyrn::platform::lastErrorText());
}

}  // namespace

void VyrnGameLauncherHarrowen::OnExtractSucc(std::wstring archivePath) {
  debugOutput("解压缩成功！");
  debugOutput(vyrn::wideToAnsi(archivePath));
  deleteArchive(archivePath);
  ShowLoginWindow();
}

void VyrnGameLauncherHarrowen::OnExtractFail(std::wstring archivePath, std::string) {
  const std::string path = vyrn::wideToAnsi(archivePath);
  debugOutput("解压缩失败！" + path);
  debugOutput(path);
  deleteArchive(archivePath);
  mApi.getHarrowenGamePackage();
}

void VyrnGameLauncherHarrowen::ShowLoginWindow() {
  ::ShowWindow(mHwnd, SW_HIDE);
  // The login window is not part of the launcher yet: the flow goes on to
  // the game at once, without a login code.
  debugOutput("ShowLoginWindow: no login window yet, starting the game");
  StartGame();
}
