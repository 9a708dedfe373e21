#include "device/device_identity.h"

#include <chrono>
#include <cinttypes>
#include <cstdio>
#include <mutex>
#include <random>

#include "device/key_value_file.h"
#include "device/make_dirs.h"
#include "device/text_encoding.h"
#include "platform/crypto.h"
#include "platform/debug_output.h"
#include "platform/files.h"
#include "platform/known_folders.h"

namespace vyrn {
namespace {

constexpr wchar_t kDataFolderKey[] = L"VYRN_HARROWEN";
constexpr char kIdentityFileName[] = "\\data.cof";
constexpr char kDeviceIdKey[] = "uuid";

std::string identityFilePath(const std::string& folder) { return folder + kIdentityFileName; }

}  // namespace

std::string getAppDataFolder(platform::WindowHandle owner) {
  std::wstring base = platform::localAppDataFolder(owner);
  if (base.empty()) base = platform::temporaryFolder();  // better than a folder at the drive's root
  std::wstring folder = base + L"\\" + kDataFolderKey;
  constexpr size_t kMaxPath = 259;  // the classic path buffer, terminator excluded
  if (folder.size() > kMaxPath) folder.resize(kMaxPath);
  platform::debugOutputWide(folder);
  return wideToAnsi(folder);
}

std::string getDeviceId(platform::WindowHandle owner) {
  const std::string folder = getAppDataFolder(owner);
  std::string id = readValue(kDeviceIdKey, folder);
  if (!id.empty()) return id;
  id = generateUuid();
  writeValue(kDeviceIdKey, id, folder);
  return id;
}

std::string readValue(std::string key, std::string folder) {
  const std::string path = identityFilePath(folder);
  platform::debugOutput(path);
  if (!platform::pathExists(ansiToWide(path))) {
    platform::debugOutput(path + " 不存在");
    return {};
  }
  return KeyValueFile(path).value(key);
}

void writeValue(std::string key, std::string value, std::string folder) {
  const std::string path = identityFilePath(folder);
  KeyValueFile file = platform::pathExists(ansiToWide(path)) ? KeyValueFile(path) : KeyValueFile();
  file.set(key, value);
  // On a first start the data folder may not exist yet; without it the id
  // handed out now would not be the one read at the next start.
  makeDirs(folder + "\\");
  file.save(path);
}

std::string generateUuid() {
  static std::mutex engineMutex;
  static std::mt19937 engine = [] {
    std::uint32_t seed = 0;
    if (!platform::secureRandom32(seed))
      seed = static_cast<std::uint32_t>(std::chrono::high_resolution_clock::now().time_since_epoch().count());
    return std::mt19937(seed);
  }();

  std::uint64_t random60 = 0;
  unsigned random16 = 0;
  {
    std::lock_guard<std::mutex> lock(engineMutex);
    const std::uint64_t r1 = engine();
    const std::uint64_t r2 = engine();
    random60 = ((r1 & 0xFFFFFFFu) << 32) | r2;
    random16 = std::uniform_int_distribution<unsigned>(0, 65535)(engine);
  }
  const auto nanoseconds = std::chrono::duration_cast<std::chrono::nanoseconds>(
                               std::chrono::steady_clock::now().time_since_epoch())
                               .count();
  const std::uint64_t clock52 = static_cast<std::uint64_t>(nanoseconds) & ((std::uint64_t{1} << 52) - 1);

  char digits[33] = {};
  std::snprintf(digits, sizeof digits, "%015" PRIx64 "%013" PRIx64 "%04x", random60, clock52, random16);
  std::string id(digits);
  for (const size_t position : {8, 13, 18, 23}) id.insert(position, 1, '-');
  return id;
}

}  // namespace vyrn
