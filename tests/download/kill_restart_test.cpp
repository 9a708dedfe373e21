// A download killed at random points and started again each time ends with
// the exact remote file: the local file is always a prefix of it.

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <random>
#include <string>
#include <thread>

#ifndef _WIN32
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include "download/download_peers.h"
#include "support/file_util.h"
#include "support/temp_folder.h"

namespace {

using namespace std::chrono_literals;

#ifndef _WIN32
pid_t startProbe(const std::string& url, const std::string& path) {
  const pid_t pid = ::fork();
  if (pid == 0) {
    const int devnull = ::open("/dev/null", O_WRONLY);
    ::dup2(devnull, STDERR_FILENO);  // the speed lines
    ::execl(VYRN_DOWNLOAD_PROBE, VYRN_DOWNLOAD_PROBE, url.c_str(), path.c_str(), static_cast<char*>(nullptr));
    ::_exit(127);
  }
  return pid;
}
#endif

TEST(DownloadKillRestart, KilledDownloadsResumeToTheExactFile) {
#ifdef _WIN32
  GTEST_SKIP() << "signals a child process; runs natively";
#else
  constexpr std::int64_t kSize = 6 * 1024 * 1024;  // paced at 512 KiB/s by nginx
  vyrn::test::TempFolder folder;
  const std::string path = folder.narrow() + "/package.cache";
  const std::string url = vyrn::test::Nginx::http("/paced/file.bin");

  const unsigned seed = std::random_device{}();
  SCOPED_TRACE("seed " + std::to_string(seed));
  std::mt19937 random(seed);
  std::uniform_int_distribution<int> killAfterMs(150, 900);

  int partialKills = 0;
  std::int64_t previous = 0;
  for (int run = 0; run < 4; ++run) {
    const pid_t pid = startProbe(url, path);
    ASSERT_GT(pid, 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(killAfterMs(random)));
    ::kill(pid, SIGKILL);
    int status = 0;
    ::waitpid(pid, &status, 0);
    std::error_code error;
    const auto length = static_cast<std::int64_t>(std::filesystem::file_size(path, error));
    if (error) continue;  // killed before the file was made
    EXPECT_GE(length, previous);
    EXPECT_EQ(vyrn::test::readBytes(path), vyrn::test::patternBytes(0, length)) << "after kill " << run;
    if (length > 0 && length < kSize) ++partialKills;
    previous = length;
  }
  EXPECT_GT(partialKills, 0) << "no kill landed mid-transfer";

  const pid_t pid = startProbe(url, path);
  ASSERT_GT(pid, 0);
  int status = 0;
  ::waitpid(pid, &status, 0);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
  EXPECT_EQ(vyrn::test::readBytes(path), vyrn::test::patternBytes(0, kSize));
#endif
}

}  // namespace
