#pragma once
// Runs tests/game_link/ws_client.py (python3-websockets) and returns its exit
// code: 0 done, 3 refused or failed, -1 could not run it.

#include <string>
#include <vector>

#ifdef _WIN32
#include <windows.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#else
#include <spawn.h>
#include <unistd.h>
#include <sys/wait.h>
#endif

namespace vyrn::test {

inline std::string hex(const std::string& bytes) {
  static const char kDigits[] = "0123456789abcdef";
  std::string text;
  for (unsigned char byte : bytes) {
    text += kDigits[byte >> 4];
    text += kDigits[byte & 0x0F];
  }
  return text;
}

#ifdef _WIN32
// Under Wine the Unix interpreter starts as a Unix process, which Wine does
// not wait for; the script reports its code through a file on the Unix side.
inline int runPythonClient(std::vector<std::string> args) {
  static std::atomic<int> counter{0};
  const std::string result = "/tmp/vyrn-ws-client-" + std::to_string(::GetCurrentProcessId()) + "-" +
                             std::to_string(counter++) + ".result";
  std::string commandLine = std::string("python3 ") + VYRN_WS_CLIENT_SCRIPT + " --result " + result;
  for (const auto& arg : args) commandLine += " " + arg;  // URLs and hex: no blanks
  std::wstring wideCommand(commandLine.begin(), commandLine.end());
  std::string program = std::string("Z:") + VYRN_PYTHON;
  std::wstring wideProgram(program.begin(), program.end());
  for (auto& ch : wideProgram)
    if (ch == L'/') ch = L'\\';
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!::CreateProcessW(wideProgram.c_str(), wideCommand.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process))
    return -1;
  ::CloseHandle(process.hThread);
  ::CloseHandle(process.hProcess);
  std::wstring windowsResult = L"Z:" + std::wstring(result.begin(), result.end());
  for (auto& ch : windowsResult)
    if (ch == L'/') ch = L'\\';
  for (int waited = 0; waited < 60000; waited += 50) {
    std::ifstream in{std::filesystem::path(windowsResult)};
    int code = -1;
    if (in >> code) {
      in.close();
      ::DeleteFileW(windowsResult.c_str());
      return code;
    }
    ::Sleep(50);
  }
  return -1;
}
#else
inline int runPythonClient(std::vector<std::string> args) {
  args.insert(args.begin(), {VYRN_PYTHON, VYRN_WS_CLIENT_SCRIPT});
  std::vector<char*> argv;
  for (auto& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);
  pid_t pid = 0;
  if (posix_spawn(&pid, VYRN_PYTHON, nullptr, nullptr, argv.data(), environ) != 0) return -1;
  int status = 0;
  if (waitpid(pid, &status, 0) != pid || !WIFEXITED(status)) return -1;
  return WEXITSTATUS(status);
}
#endif

}  // namespace vyrn::test
