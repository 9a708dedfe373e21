#include "archive/extractor.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <thread>
#include <vector>

#include "archive/item_path.h"
#include "archive/library.h"
#include "archive_test_util.h"
#include "support/debug_capture.h"
#include "support/temp_folder.h"

namespace vyrn::archive {
namespace {

using test::archivePath;
using test::archivesFolder;
using test::snapshot;
using test::widePath;
namespace fs = std::filesystem;

TEST(ItemPathTest, KeepsNamesBelowTheFolderAndRefusesEveryWayOut) {
  const struct {
    const wchar_t* name;
    const wchar_t* expected;  // null: refused
  } cases[] = {
      {L"a.txt", L"a.txt"},
      {L"bin/plugins/x.dll", L"bin\\plugins\\x.dll"},
      {L"bin\\x.dll", L"bin\\x.dll"},
      {L"./a//b/./c", L"a\\b\\c"},
      {L"游戏/数据.txt", L"游戏\\数据.txt"},
      {L"a..b/..c", L"a..b\\..c"},
      {L"", nullptr},
      {L".", nullptr},
      {L"../evil", nullptr},
      {L"a/../../evil", nullptr},
      {L"a\\..\\b", nullptr},
      {L"/etc/passwd", nullptr},
      {L"\\Windows\\evil.dll", nullptr},
      {L"\\\\server\\share\\x", nullptr},
      {L"C:\\evil.dll", nullptr},
      {L"C:evil.dll", nullptr},
      {L"file.txt:stream", nullptr},
      {L"a/... /b", nullptr},
      {L"a/. ./b", nullptr},
  };
  for (const auto& c : cases) {
    const auto result = safeItemPath(c.name);
    if (c.expected == nullptr) {
      EXPECT_FALSE(result.has_value()) << platform::fromWide(platform::CodePage::Utf8, c.name);
    } else {
      ASSERT_TRUE(result.has_value()) << platform::fromWide(platform::CodePage::Utf8, c.name);
      EXPECT_EQ(*result, c.expected);
    }
  }
}

class ExtractorTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(library_.load(test::modulePath()).ok()); }

  // Extracts into the temp folder's "out", recording every callback.
  Status extract(const char* archive) {
    Extractor extractor(library_);
    extractor.setTotalCallback([this](std::uint64_t total) {
      threads_.push_back(std::this_thread::get_id());
      totals_.push_back(total);
    });
    extractor.setProgressCallback([this](std::uint64_t done) {
      threads_.push_back(std::this_thread::get_id());
      progress_.push_back(done);
    });
    extractor.setFileCallback([this](const std::wstring& name) {
      threads_.push_back(std::this_thread::get_id());
      files_.push_back(name);
    });
    return extractor.extract(archivePath(archive), widePath(out()));
  }

  fs::path out() const { return temp_.path() / "out"; }

  SevenZipLibrary library_;
  test::TempFolder temp_;
  std::vector<std::thread::id> threads_;
  std::vector<std::uint64_t> totals_;
  std::vector<std::uint64_t> progress_;
  std::vector<std::wstring> files_;
};

TEST_F(ExtractorTest, UnpacksTheWholeTreeAndReportsOnTheCallingThread) {
  test::DebugCapture debug;
  const Status status = extract("tree.7z");
  ASSERT_TRUE(status.ok()) << status.error;

  // Nested and empty folders, empty files and Chinese names come out as packed.
  EXPECT_EQ(snapshot(out()), snapshot(archivesFolder() / "tree"));

  std::uint64_t totalBytes = 0;
  for (const auto& entry : fs::recursive_directory_iterator(archivesFolder() / "tree"))
    if (entry.is_regular_file()) totalBytes += entry.file_size();
  ASSERT_EQ(totals_, std::vector<std::uint64_t>{totalBytes});
  ASSERT_FALSE(progress_.empty());
  EXPECT_TRUE(std::is_sorted(progress_.begin(), progress_.end()));
  EXPECT_EQ(progress_.back(), totalBytes);

  std::sort(files_.begin(), files_.end());
  const std::vector<std::wstring> expectedFiles = {L"bin/numbers.txt", L"bin/plugins/deep/plugin.dat", L"config.ini",
                                                   L"empty.txt", L"游戏数据/存档/一.sav", L"游戏数据/说明.txt"};
  std::vector<std::wstring> normalized;
  for (auto name : files_) {
    std::replace(name.begin(), name.end(), L'\\', L'/');
    normalized.push_back(name);
  }
  EXPECT_EQ(normalized, expectedFiles);

  for (const auto& id : threads_) EXPECT_EQ(id, std::this_thread::get_id());
  const auto wide = debug.wideLines();
  EXPECT_NE(std::find(wide.begin(), wide.end(), archivePath("tree.7z")), wide.end());
}

TEST_F(ExtractorTest, UnpacksAnExecutableThroughTheBcj2Filter) {
  const Status status = extract("bcj2.7z");
  ASSERT_TRUE(status.ok()) << status.error;
  EXPECT_EQ(snapshot(out()), snapshot(archivesFolder() / "exe"));
}

TEST_F(ExtractorTest, ReplacesPackedFilesOfAnExistingInstallationAndKeepsTheRest) {
  fs::create_directories(out() / "bin");
  test::writeBytes(out() / "config.ini", "old configuration, much longer than the new one\n");
  test::writeBytes(out() / "bin" / "numbers.txt", "old");
  // Read-only files of the old installation are replaced all the same.
  fs::permissions(out() / "bin" / "numbers.txt", fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                  fs::perm_options::remove);
  test::writeBytes(out() / "user.cfg", "mine");
  fs::create_directories(out() / "screenshots");

  const Status status = extract("tree.7z");
  ASSERT_TRUE(status.ok()) << status.error;

  auto expected = snapshot(archivesFolder() / "tree");
  expected["user.cfg"] = "mine";
  expected["screenshots"] = "<folder>";
  EXPECT_EQ(snapshot(out()), expected);
}

TEST_F(ExtractorTest, AnArchiveOfEmptyItemsCreatesThemWithATotalOfZero) {
  const Status status = extract("empties.7z");
  ASSERT_TRUE(status.ok()) << status.error;
  EXPECT_EQ(snapshot(out()), snapshot(archivesFolder() / "empties"));
  for (const auto total : totals_) EXPECT_EQ(total, 0u);
}

TEST_F(ExtractorTest, FailuresAreReportedAsTexts) {
  const std::string zipPath = platform::fromWide(platform::CodePage::Ansi, archivePath("zip-renamed.7z"));
  const std::string truncatedPath = platform::fromWide(platform::CodePage::Ansi, archivePath("truncated.7z"));
  const std::string missingPath = platform::fromWide(platform::CodePage::Ansi, archivePath("missing.7z"));
  const struct {
    const char* archive;
    std::string error;
  } cases[] = {
      {"zip-renamed.7z", "Cannot open archive file '" + zipPath + "'"},
      {"truncated.7z", "Cannot open archive file '" + truncatedPath + "'"},
      {"missing.7z", "Cannot open archive file '" + missingPath + "'"},
      // No password handler: the encrypted item cannot be decoded.
      {"password.7z", "Unsupported Method"},
      {"corrupt.7z", "CRC Failed"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.archive);
    fs::remove_all(out());
    EXPECT_EQ(extract(c.archive).error, c.error);
    // A file that failed its check is not left behind.
    EXPECT_FALSE(fs::exists(out() / "config.ini"));
  }
}

TEST_F(ExtractorTest, RefusesArchivesWithItemsOutsideTheOutputFolder) {
  // The output folder is nested so that "../evil.txt" stays inside the temp folder.
  const fs::path nestedOut = temp_.path() / "install" / "game";
  for (const char* archive : {"traversal-relative.7z", "traversal-absolute.7z"}) {
    SCOPED_TRACE(archive);
    Extractor extractor(library_);
    const Status status = extractor.extract(archivePath(archive), widePath(nestedOut));
    EXPECT_NE(status.error.find("Refused archive item outside the output folder"), std::string::npos) << status.error;
    EXPECT_NE(status.error.find("evil.txt"), std::string::npos) << status.error;
    // Nothing at all is written, not even the harmless item.
    EXPECT_FALSE(fs::exists(temp_.path() / "install" / "evil.txt"));
    EXPECT_FALSE(fs::exists(nestedOut / "good.txt"));
    EXPECT_FALSE(fs::exists(nestedOut / "inner" / "good.txt"));
  }
}

TEST(SevenZipLibraryTest, LoadFailuresCarryTheSystemErrorCode) {
#ifdef _WIN32
  const int missingCode = 126;     // ERROR_MOD_NOT_FOUND
  const int brokenCode = 193;      // ERROR_BAD_EXE_FORMAT
  const int noEntryCode = 127;     // ERROR_PROC_NOT_FOUND
#else
  const int missingCode = 2;       // ENOENT
  const int brokenCode = 8;        // ENOEXEC
  const int noEntryCode = 38;      // ENOSYS
#endif
  test::TempFolder temp;
  const fs::path broken = temp.path() / "ob7zxa.dll";
  test::writeBytes(broken, "MZ but not a library");

  const struct {
    std::wstring path;
    std::string error;
  } cases[] = {
      {widePath(temp.path() / "absent.dll"), "Cannot load 7-zip library (error " + std::to_string(missingCode) + ")"},
      {widePath(broken), "Cannot load 7-zip library (error " + std::to_string(brokenCode) + ")"},
      {widePath(fs::path(VYRN_TEST_NO_ENTRY_LIBRARY)),
       "Cannot get CreateObject (error " + std::to_string(noEntryCode) + ")"},
  };
  for (const auto& c : cases) {
    SevenZipLibrary library;
    EXPECT_EQ(library.load(c.path).error, c.error);
    EXPECT_FALSE(library.loaded());
  }
}

}  // namespace
}  // namespace vyrn::archive
