// The downloader against nginx on loopback: fresh, resumed, complete and
// unmeasurable files, transfers that need several attempts, and TLS checks.

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "download/download_peers.h"
#include "sdk/http_downloader.h"
#include "support/debug_capture.h"
#include "support/file_util.h"
#include "support/temp_folder.h"

namespace {

using namespace std::chrono_literals;
using ObrelSdk::DownloadOptions;
using ObrelSdk::HttpDownloader;
using StartList = std::vector<std::pair<std::int64_t, std::int64_t>>;
using vyrn::test::Nginx;
using vyrn::test::Notices;
using vyrn::test::patternBytes;

// Progress notices of one transfer: shares of a real total, never falling.
void expectSaneProgress(const std::vector<vyrn::test::ProgressNotice>& progress, double total) {
  double previous = -1;
  for (const auto& notice : progress) {
    EXPECT_EQ(notice.total, total);
    EXPECT_GE(notice.done, 0);
    EXPECT_LE(notice.done, total);
    EXPECT_DOUBLE_EQ(notice.percent, notice.done / total * 100.0);
    EXPECT_GE(notice.done, previous);
    previous = notice.done;
  }
}

// The access log is written as nginx finishes a request; give it a moment.
std::vector<std::string> settledRequestsFor(const std::string& uri, size_t atLeast) {
  auto lines = Nginx::requestsFor(uri);
  for (int i = 0; i < 20 && lines.size() < atLeast; ++i) {
    std::this_thread::sleep_for(50ms);
    lines = Nginx::requestsFor(uri);
  }
  std::this_thread::sleep_for(200ms);
  return Nginx::requestsFor(uri);
}

class NginxDownloadTest : public ::testing::Test {
 protected:
  std::string localPath() const { return folder_.narrow() + "\\package.cache"; }
  std::string localBytes() const { return vyrn::test::readBytes(vyrn::test::fsPath(localPath())); }
  void writeLocal(const std::string& bytes) { vyrn::test::writeBytes(vyrn::test::fsPath(localPath()), bytes); }
  // A whole download on this thread, its notices recorded.
  void download(const std::string& url, const std::string& path) {
    HttpDownloader downloader;
    notices_.attach(downloader);
    downloader.runDownload(url, path);
  }

  vyrn::test::TempFolder folder_;
  vyrn::test::DebugCapture debug_;
  Notices notices_;
};

TEST_F(NginxDownloadTest, FreshDownloadOnItsOwnThreadEndsWithTheFinishedNotice) {
  HttpDownloader callbacks;
  notices_.attach(callbacks);
  ObrelSdk::downloadFile(Nginx::http("/file1000.bin"), localPath(), callbacks.m_DownloadStartCallBack,
                         callbacks.m_DownloadProgressCallBack, callbacks.m_DownloadSuccCallBack);
  ASSERT_TRUE(notices_.waitFinished(20s));

  EXPECT_EQ(notices_.starts(), (StartList{{0, 1000}}));
  const auto progress = notices_.progress();
  ASSERT_FALSE(progress.empty());
  expectSaneProgress(progress, 1000);
  EXPECT_DOUBLE_EQ(progress.back().percent, 100.0);
  EXPECT_EQ(notices_.finished(), std::vector<std::string>{localPath()});
  EXPECT_EQ(localBytes(), patternBytes(0, 1000));
  EXPECT_TRUE(debug_.hasLine(curl_easy_strerror(CURLE_OK)));
  EXPECT_TRUE(debug_.hasLine("需要下载文件总大小：1000"));
  EXPECT_TRUE(debug_.hasLine("本地已下载文件大小：0"));
}

TEST_F(NginxDownloadTest, ResumesAtTheEndOfThePartialFile) {
  writeLocal(patternBytes(0, 400));
  const size_t before = Nginx::requestsFor("/file1000.bin").size();
  download(Nginx::http("/file1000.bin"), localPath());

  EXPECT_EQ(notices_.starts(), (StartList{{400, 1000}}));
  const auto progress = notices_.progress();
  ASSERT_FALSE(progress.empty());
  expectSaneProgress(progress, 1000);
  EXPECT_GE(progress.front().done, 400);
  EXPECT_GE(progress.front().percent, 40);
  EXPECT_DOUBLE_EQ(progress.back().percent, 100.0);
  EXPECT_TRUE(debug_.hasLine("本地已下载文件大小：400"));
  const auto requests = settledRequestsFor("/file1000.bin", before + 2);
  ASSERT_EQ(requests.size(), before + 2) << "the size query and one transfer";
  EXPECT_EQ(requests.back(), "GET /file1000.bin range=[bytes=400-] status=206 sent=600");
  EXPECT_EQ(localBytes(), patternBytes(0, 1000));
  EXPECT_EQ(notices_.finished(), std::vector<std::string>{localPath()});
}

TEST_F(NginxDownloadTest, CompleteFileIsFinishedWithoutTransfer) {
  writeLocal(patternBytes(0, 1000));
  const size_t before = Nginx::requestsFor("/file1000.bin").size();
  download(Nginx::http("/file1000.bin"), localPath());

  EXPECT_EQ(notices_.starts(), (StartList{{1000, 1000}}));
  EXPECT_TRUE(notices_.progress().empty());
  EXPECT_EQ(notices_.finished(), std::vector<std::string>{localPath()});
  EXPECT_EQ(settledRequestsFor("/file1000.bin", before + 1).size(), before + 1) << "only the size query";
  EXPECT_EQ(localBytes(), patternBytes(0, 1000));
}

TEST_F(NginxDownloadTest, LocalFileLongerThanTheRemoteOneStartsAgain) {
  writeLocal(std::string(1200, 'x'));
  download(Nginx::http("/file1000.bin"), localPath());

  EXPECT_TRUE(debug_.hasLine("本地已下载文件大小：1200"));
  EXPECT_EQ(notices_.starts(), (StartList{{0, 1000}}));
  EXPECT_EQ(localBytes(), patternBytes(0, 1000));
  EXPECT_EQ(notices_.finished().size(), 1u);
}

TEST_F(NginxDownloadTest, NoUsableSizeEndsWithoutAnyNotice) {
  struct Case {
    std::string path;
    std::vector<std::string> lines;
  };
  const std::vector<Case> cases = {
      {"/nolength/file1000.bin", {curl_easy_strerror(CURLE_OK), "需要下载文件总大小：-1"}},
      {"/missing.bin", {"文件大小查询的HTTP状态：404", "需要下载文件总大小：-1"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path);
    debug_.clear();
    download(Nginx::http(c.path), localPath());
    for (const auto& line : c.lines) EXPECT_TRUE(debug_.hasLine(line)) << line;
    EXPECT_FALSE(std::filesystem::exists(vyrn::test::fsPath(localPath())));
  }
  EXPECT_TRUE(notices_.starts().empty());
  EXPECT_TRUE(notices_.progress().empty());
  EXPECT_TRUE(notices_.finished().empty());
}

TEST_F(NginxDownloadTest, BadInputIsReportedAndDownloadsNothing) {
  struct Case {
    std::string url, path, line;
  };
  const std::vector<Case> cases = {
      {"", localPath(), "下载地址为空，不下载"},
      {Nginx::http("/file1000.bin"), "", "本地文件路径为空，不下载"},
  };
  for (const auto& c : cases) {
    download(c.url, c.path);
    EXPECT_TRUE(debug_.hasLine(c.line)) << c.line;
  }
  HttpDownloader noTime(DownloadOptions{0, {}});
  noTime.runDownload(Nginx::http("/file1000.bin"), localPath());
  EXPECT_TRUE(debug_.hasLine("下载超时设置无效：0"));
  EXPECT_TRUE(notices_.starts().empty());
  EXPECT_TRUE(notices_.finished().empty());
}

TEST_F(NginxDownloadTest, FileInAMissingFolderFailsTheAttempt) {
  const std::string path = folder_.narrow() + "\\missing\\package.cache";
  HttpDownloader downloader;
  notices_.attach(downloader);
  EXPECT_EQ(downloader.tryDownload(1000, 5, Nginx::http("/file1000.bin"), path), HttpDownloader::Attempt::Failed);
  EXPECT_TRUE(debug_.hasLine("无法访问文件：" + path));
  EXPECT_TRUE(notices_.starts().empty());
}

// A transfer far longer than one attempt, made affordable with 2-second
// attempts against a rate-limited location.
TEST_F(NginxDownloadTest, SlowTransferResumesOverSeveralAttempts) {
  constexpr std::int64_t kSize = 128 * 1024;
  HttpDownloader downloader(DownloadOptions{2, {}});
  notices_.attach(downloader);
  const size_t before = Nginx::requestsFor("/slow/file.bin").size();
  const auto began = std::chrono::steady_clock::now();
  downloader.runDownload(Nginx::http("/slow/file.bin"), localPath());
  const auto took = std::chrono::steady_clock::now() - began;

  const auto starts = notices_.starts();
  ASSERT_GE(starts.size(), 3u);
  EXPECT_EQ(starts.front(), std::make_pair(std::int64_t{0}, kSize));
  for (size_t i = 1; i < starts.size(); ++i) {
    EXPECT_GT(starts[i].first, starts[i - 1].first);
    EXPECT_EQ(starts[i].second, kSize);
  }
  // Each attempt asked for the rest of the file from where the one before stopped.
  const auto requests = settledRequestsFor("/slow/file.bin", before + starts.size() + 1);
  ASSERT_EQ(requests.size(), before + starts.size() + 1) << "the size query and one transfer per attempt";
  for (size_t i = 1; i < starts.size(); ++i) {
    EXPECT_NE(requests[before + i + 1].find("range=[bytes=" + std::to_string(starts[i].first) + "-] status=206"),
              std::string::npos)
        << requests[before + i + 1];
  }
  EXPECT_EQ(notices_.finished().size(), 1u);
  EXPECT_EQ(localBytes(), patternBytes(0, kSize));
  EXPECT_GE(took, 4s);
}

// Sizes and offsets past 2 and 4 GiB: a sparse local prefix of a sparse
// 5 GiB file gets the last 1000 bytes resumed onto it.
TEST_F(NginxDownloadTest, PackagesPastFourGibResumeAtTheirFullOffset) {
  constexpr std::int64_t kSize = std::int64_t{5} * 1024 * 1024 * 1024;
  constexpr std::int64_t kLocal = kSize - 1000;
  const auto local = vyrn::test::fsPath(localPath());
  writeLocal("");
  std::filesystem::resize_file(local, static_cast<std::uintmax_t>(kLocal));
  const size_t before = Nginx::requestsFor("/large/package.bin").size();
  download(Nginx::http("/large/package.bin"), localPath());

  EXPECT_TRUE(debug_.hasLine("需要下载文件总大小：" + std::to_string(kSize)));
  EXPECT_EQ(notices_.starts(), (StartList{{kLocal, kSize}}));
  const auto progress = notices_.progress();
  ASSERT_FALSE(progress.empty());
  EXPECT_GE(progress.front().done, static_cast<double>(kLocal));
  EXPECT_DOUBLE_EQ(progress.back().percent, 100.0);
  const auto requests = settledRequestsFor("/large/package.bin", before + 2);
  ASSERT_EQ(requests.size(), before + 2);
  EXPECT_EQ(requests.back(),
            "GET /large/package.bin range=[bytes=" + std::to_string(kLocal) + "-] status=206 sent=1000");
  ASSERT_EQ(static_cast<std::int64_t>(std::filesystem::file_size(local)), kSize);
  std::ifstream in(local, std::ios::binary);
  in.seekg(kLocal);
  std::string tail(1000, '\0');
  in.read(tail.data(), 1000);
  EXPECT_EQ(tail, patternBytes(0, 1000));
  EXPECT_EQ(notices_.finished().size(), 1u);
}

// Verification stays on for both requests; Wine's TLS does not check
// certificates, so these run natively only.
TEST_F(NginxDownloadTest, TlsPeerAndHostNameAreVerified) {
#ifdef _WIN32
  GTEST_SKIP() << "Wine does not verify TLS certificates";
#endif
  struct Case {
    const char* what;
    std::string url;
    std::string caBundle;
    bool trusted;
  };
  const std::vector<Case> cases = {
      {"self-signed, not trusted", Nginx::https("localhost", "/file1000.bin"), "", false},
      {"trusted, other host name", Nginx::https("127.0.0.1", "/file1000.bin"), Nginx::certificateFile(), false},
      {"trusted, its host name", Nginx::https("localhost", "/file1000.bin"), Nginx::certificateFile(), true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    std::filesystem::remove(vyrn::test::fsPath(localPath()));
    debug_.clear();
    Notices notices;
    HttpDownloader downloader(DownloadOptions{5, c.caBundle});
    notices.attach(downloader);
    downloader.runDownload(c.url, localPath());
    if (c.trusted) {
      EXPECT_EQ(notices.finished().size(), 1u);
      EXPECT_EQ(localBytes(), patternBytes(0, 1000));
      continue;
    }
    EXPECT_TRUE(debug_.hasLine(curl_easy_strerror(CURLE_PEER_FAILED_VERIFICATION)));
    EXPECT_TRUE(notices.starts().empty());
    // The transfer itself refuses the peer too, writing nothing.
    EXPECT_EQ(downloader.tryDownload(1000, 5, c.url, localPath()), HttpDownloader::Attempt::Failed);
    EXPECT_EQ(localBytes(), "");
    EXPECT_TRUE(notices.progress().empty());
    EXPECT_TRUE(notices.finished().empty());
  }
}

}  // namespace
