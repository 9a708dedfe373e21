#include "sdk/bit7z_tool.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "archive_test_util.h"
#include "support/debug_capture.h"
#include "support/temp_folder.h"

namespace ObrelSdk {
namespace {

using vyrn::test::archivePath;
using vyrn::test::archivesFolder;
using vyrn::test::snapshot;
using vyrn::test::widePath;
namespace fs = std::filesystem;

// What the callbacks of one extraction saw; shared with the worker's copy.
struct Outcome {
  std::mutex mutex;
  std::condition_variable done;
  std::optional<std::wstring> finished;
  std::optional<std::pair<std::wstring, std::string>> failed;
  std::vector<double> shares;
  std::vector<std::wstring> files;
  std::vector<std::thread::id> threads;

  void record() { threads.push_back(std::this_thread::get_id()); }

  bool wait() {
    std::unique_lock<std::mutex> lock(mutex);
    return done.wait_for(lock, std::chrono::seconds(60), [&] { return finished || failed; });
  }
};

void bindCallbacks(Bit7zTool& tool, const std::shared_ptr<Outcome>& outcome) {
  tool.mProgressCallback = [outcome](double share) {
    std::lock_guard<std::mutex> lock(outcome->mutex);
    outcome->record();
    outcome->shares.push_back(share);
  };
  tool.mFileCallback = [outcome](std::wstring name) {
    std::lock_guard<std::mutex> lock(outcome->mutex);
    outcome->record();
    outcome->files.push_back(std::move(name));
  };
  tool.mFinishCallback = [outcome](std::wstring archive) {
    std::lock_guard<std::mutex> lock(outcome->mutex);
    outcome->record();
    outcome->finished = std::move(archive);
    outcome->done.notify_all();
  };
  tool.mErrorCallback = [outcome](std::wstring archive, std::string error) {
    std::lock_guard<std::mutex> lock(outcome->mutex);
    outcome->record();
    outcome->failed = std::make_pair(std::move(archive), std::move(error));
    outcome->done.notify_all();
  };
}

TEST(Bit7zToolTest, ExtractsOnAThreadOfItsOwnAfterTheCallersToolIsGone) {
  vyrn::test::TempFolder temp;
  auto outcome = std::make_shared<Outcome>();
  {
    auto tool = std::make_unique<Bit7zTool>();
    tool->mLibraryPath = vyrn::test::modulePath();
    bindCallbacks(*tool, outcome);
    tool->extract(archivePath("tree.7z"), widePath(temp.path() / "game"));
    tool.reset();  // as the download handler discards its tool at once
  }
  ASSERT_TRUE(outcome->wait());

  std::lock_guard<std::mutex> lock(outcome->mutex);
  ASSERT_FALSE(outcome->failed) << outcome->failed->second;
  EXPECT_EQ(*outcome->finished, archivePath("tree.7z"));  // the archive, not the folder
  EXPECT_EQ(snapshot(temp.path() / "game"), snapshot(archivesFolder() / "tree"));
  ASSERT_FALSE(outcome->shares.empty());
  EXPECT_DOUBLE_EQ(outcome->shares.back(), 1.0);
  for (const double share : outcome->shares) EXPECT_TRUE(share >= 0.0 && share <= 1.0) << share;
  EXPECT_EQ(outcome->files.size(), 6u);
  // Every callback ran on the one worker thread, never on the caller's.
  ASSERT_FALSE(outcome->threads.empty());
  for (const auto& id : outcome->threads) {
    EXPECT_NE(id, std::this_thread::get_id());
    EXPECT_EQ(id, outcome->threads.front());
  }
}

TEST(Bit7zToolTest, FailuresGoToTheErrorCallbackStandardOutputAndDebugOutput) {
  vyrn::test::TempFolder temp;
  const std::string openError =
      "Cannot open archive file '" + vyrn::platform::fromWide(vyrn::platform::CodePage::Ansi, archivePath("zip-renamed.7z")) + "'";
#ifdef _WIN32
  const std::string loadError = "Cannot load 7-zip library (error 126)";
#else
  const std::string loadError = "Cannot load 7-zip library (error 2)";
#endif
  const struct {
    const char* archive;
    std::wstring library;
    std::string error;
  } cases[] = {
      {"zip-renamed.7z", vyrn::test::modulePath(), openError},
      {"tree.7z", widePath(temp.path() / "data" / "ob7zxa.dll"), loadError},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.error);
    vyrn::test::DebugCapture debug;
    auto outcome = std::make_shared<Outcome>();
    Bit7zTool tool;
    tool.mLibraryPath = c.library;
    bindCallbacks(tool, outcome);

    ::testing::internal::CaptureStdout();
    tool.runExtraction(archivePath(c.archive), widePath(temp.path() / "game"));
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), c.error + "\n");

    ASSERT_TRUE(outcome->failed);
    EXPECT_EQ(outcome->failed->first, archivePath(c.archive));
    EXPECT_EQ(outcome->failed->second, c.error);
    EXPECT_FALSE(outcome->finished);
    EXPECT_TRUE(debug.hasLine(c.error));
    EXPECT_FALSE(fs::exists(temp.path() / "game" / "config.ini"));
  }
}

TEST(Bit7zToolTest, ExtractsWithoutAnyCallbacks) {
  vyrn::test::TempFolder temp;
  Bit7zTool tool;
  tool.mLibraryPath = vyrn::test::modulePath();
  tool.runExtraction(archivePath("tree.7z"), widePath(temp.path() / "game"));
  EXPECT_EQ(snapshot(temp.path() / "game"), snapshot(archivesFolder() / "tree"));
  EXPECT_GT(tool.mTotalSize, 0u);
}

TEST(Bit7zToolTest, NeverReportsAShareOfANothingToUnpackTotal) {
  vyrn::test::TempFolder temp;
  auto outcome = std::make_shared<Outcome>();
  Bit7zTool tool;
  tool.mLibraryPath = vyrn::test::modulePath();
  bindCallbacks(tool, outcome);
  tool.runExtraction(archivePath("empties.7z"), widePath(temp.path() / "game"));
  ASSERT_TRUE(outcome->finished);
  EXPECT_TRUE(outcome->shares.empty());
  EXPECT_TRUE(fs::exists(temp.path() / "game" / "nothing.txt"));

  // Directly: a reported amount before any total gives no share either.
  Bit7zTool fresh;
  bindCallbacks(fresh, outcome);
  fresh.onProgress(5);
  EXPECT_TRUE(outcome->shares.empty());
}

}  // namespace
}  // namespace ObrelSdk
