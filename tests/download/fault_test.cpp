// The downloader against a server that misbehaves in the ways nginx will not:
// connections reset mid-body, error pages, ranges ignored or refused.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "download/download_peers.h"
#include "sdk/http_downloader.h"
#include "support/debug_capture.h"
#include "support/file_util.h"
#include "support/temp_folder.h"

namespace {

using ObrelSdk::HttpDownloader;
using StartList = std::vector<std::pair<std::int64_t, std::int64_t>>;
using vyrn::test::FaultServer;
using vyrn::test::Notices;
using vyrn::test::patternBytes;

class FaultTest : public ::testing::Test {
 protected:
  void SetUp() override { FaultServer::reset(); }

  std::string localPath() const { return folder_.narrow() + "\\package.cache"; }
  std::string localBytes() const { return vyrn::test::readBytes(vyrn::test::fsPath(localPath())); }
  void writeLocal(const std::string& bytes) { vyrn::test::writeBytes(vyrn::test::fsPath(localPath()), bytes); }

  // Runs one download to its end and checks what every such run must give:
  // the exact file, one finished notice, progress only within the file.
  void download() {
    HttpDownloader downloader;
    notices_.attach(downloader);
    downloader.runDownload(FaultServer::fileUrl(1000), localPath());
    EXPECT_EQ(localBytes(), patternBytes(0, 1000));
    EXPECT_EQ(notices_.finished(), std::vector<std::string>{localPath()});
    for (const auto& notice : notices_.progress()) {
      EXPECT_EQ(notice.total, 1000);
      EXPECT_GE(notice.done, 0);
      EXPECT_LE(notice.done, 1000);
    }
  }

  std::vector<std::string> ranges() const {
    std::vector<std::string> result;
    for (const auto& request : FaultServer::requests()) result.push_back(request.range);
    return result;
  }

  vyrn::test::TempFolder folder_;
  vyrn::test::DebugCapture debug_;
  Notices notices_;
};

TEST_F(FaultTest, ConnectionResetMidBodyKeepsTheBytesAndResumes) {
  FaultServer::plan(R"([{"do": "normal"}, {"do": "reset", "after": 300}])");
  download();

  const auto starts = notices_.starts();
  ASSERT_EQ(starts.size(), 2u);
  EXPECT_EQ(starts[0], std::make_pair(std::int64_t{0}, std::int64_t{1000}));
  EXPECT_EQ(starts[1], std::make_pair(std::int64_t{300}, std::int64_t{1000}));
  EXPECT_EQ(ranges(), (std::vector<std::string>{"", "", "bytes=300-"}));
}

// Responses that must never reach the file, on a fresh and on a resumed
// attempt: the next attempt recovers, from where the case says.
TEST_F(FaultTest, RefusedResponsesWriteNothingAndTheNextAttemptRecovers) {
  struct Case {
    const char* what;
    std::int64_t local;
    std::string action;
    std::int64_t nextStart;
    std::vector<std::string> ranges;
    std::string line;
  };
  const std::vector<Case> cases = {
      {"error page, fresh", 0, R"({"do": "status", "status": 500, "body": "<html>server error</html>"})", 0,
       {"", "", ""}, "下载请求失败，HTTP状态：500"},
      {"error page, resumed", 400, R"({"do": "status", "status": 500, "body": "<html>server error</html>"})", 400,
       {"", "bytes=400-", "bytes=400-"}, "下载请求失败，HTTP状态：500"},
      {"not found page, resumed", 400, R"({"do": "status", "status": 404, "body": "<html>not found</html>"})", 400,
       {"", "bytes=400-", "bytes=400-"}, "下载请求失败，HTTP状态：404"},
      {"redirect page, resumed", 400, R"({"do": "status", "status": 302, "body": "<html>moved</html>"})", 400,
       {"", "bytes=400-", "bytes=400-"}, "下载请求失败，HTTP状态：302"},
      {"range ignored", 400, R"({"do": "ignore_range"})", 0, {"", "bytes=400-", ""},
       "服务器未按断点续传应答（HTTP 200），从头下载"},
      // 416: the file changed on the server; measured again, then fetched whole.
      {"range not satisfiable", 400, R"({"do": "unsatisfiable"})", 0, {"", "bytes=400-", "", ""},
       "服务器文件已变化（HTTP 416），重新查询大小并从头下载"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    FaultServer::reset();
    debug_.clear();
    notices_ = Notices();
    std::filesystem::remove(vyrn::test::fsPath(localPath()));
    if (c.local > 0) writeLocal(patternBytes(0, c.local));
    FaultServer::plan(R"([{"do": "normal"}, )" + c.action + "]");
    download();
    EXPECT_EQ(notices_.starts(), (StartList{{c.local, 1000}, {c.nextStart, 1000}}));
    EXPECT_EQ(ranges(), c.ranges);
    EXPECT_TRUE(debug_.hasLine(c.line)) << c.line;
  }
}

}  // namespace
