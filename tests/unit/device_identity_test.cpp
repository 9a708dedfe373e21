#include "device/device_identity.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <regex>
#include <set>
#include <string>

#include "device/key_value_file.h"
#include "device/make_dirs.h"
#include "device/text_encoding.h"
#include "support/debug_capture.h"
#include "support/file_util.h"
#include "support/temp_folder.h"

namespace vyrn {
namespace {

namespace fs = std::filesystem;
using test::readBytes;
using test::writeBytes;

const std::regex kDeviceIdPattern("^[0-9a-f]{8}-[0-9a-f]{4}-[0-9a-f]{4}-[0-9a-f]{4}-[0-9a-f]{12}$");

// Gives the launcher's data folder to the test: a temporary one natively; on
// Windows the profile's real one, whose identity file is put back afterwards.
class DataFolderTest : public ::testing::Test {
 protected:
  void SetUp() override {
#ifndef _WIN32
    ::setenv("VYRN_LOCAL_APPDATA", temp_.narrow().c_str(), 1);
#endif
    folder_ = test::fsPath(getAppDataFolder(nullptr));
    identity_ = folder_ / "data.cof";
    if (fs::exists(identity_)) saved_ = readBytes(identity_);
    fs::remove_all(folder_);
  }
  void TearDown() override {
    fs::remove_all(folder_);
    if (saved_) {
      fs::create_directories(folder_);
      writeBytes(identity_, *saved_);
    }
#ifndef _WIN32
    ::unsetenv("VYRN_LOCAL_APPDATA");
#endif
  }
  void writeIdentity(const std::string& bytes) {
    fs::create_directories(folder_);
    writeBytes(identity_, bytes);
  }

  test::TempFolder temp_;
  fs::path folder_;
  fs::path identity_;
  std::optional<std::string> saved_;
};

TEST_F(DataFolderTest, DataFolderIsTheProfilesLocalAppDataWithTheLaunchersKey) {
  test::DebugCapture capture;
  const std::string folder = getAppDataFolder(nullptr);
  EXPECT_EQ(folder_.filename(), fs::path(L"VYRN_HARROWEN"));
  EXPECT_NE(folder.back(), '\\');
  ASSERT_EQ(capture.wideLines().size(), 1u);  // the folder, as wide text
  EXPECT_EQ(wideToAnsi(capture.wideLines()[0]), folder);
  EXPECT_FALSE(fs::exists(folder_)) << "asking for the folder must not create it";
}

TEST_F(DataFolderTest, StoredIdentityFilesGiveTheirId) {
  struct Case {
    const char* content;
    const char* id;
  };
  const Case cases[] = {
      {"uuid=abc", "abc"},
      {"# comment\r\nuuid=abc\r\n", "abc"},
      {"uuid=a=b\r\n", "a=b"},
      {"uuid=first\r\nuuid=second\r\n", "first"},
      {"zone=3\nuuid=lf-only", "lf-only"},
      {"\r\n\r\nuuid=after-empty-lines\r\n", "after-empty-lines"},
      {"uuid\r\n", "uuid"},  // a line without "=" is its own key and value
  };
  for (const auto& c : cases) {
    writeIdentity(c.content);
    EXPECT_EQ(getDeviceId(nullptr), c.id) << c.content;
    EXPECT_EQ(readBytes(identity_), c.content) << "a stored id must not rewrite the file";
  }
}

TEST_F(DataFolderTest, MissingIdIsGeneratedAndStoredWithTheOtherEntries) {
  writeIdentity("uuid=\r\nzone=3\r\n");
  const std::string id = getDeviceId(nullptr);
  EXPECT_TRUE(std::regex_match(id, kDeviceIdPattern)) << id;
  EXPECT_EQ(readBytes(identity_), "uuid=" + id + "\r\nzone=3\r\n");
  EXPECT_EQ(getDeviceId(nullptr), id);
}

TEST_F(DataFolderTest, DuplicateKeysCollapseWhenRewritten) {
  writeIdentity("uuid=\r\nuuid=ignored\r\nb=2\r\na=1\r\n");
  const std::string id = getDeviceId(nullptr);
  EXPECT_EQ(readBytes(identity_), "a=1\r\nb=2\r\nuuid=" + id + "\r\n");
}

TEST_F(DataFolderTest, EmptyIdentityFileGetsANewId) {
  writeIdentity("");
  const std::string id = getDeviceId(nullptr);
  EXPECT_TRUE(std::regex_match(id, kDeviceIdPattern));
  EXPECT_EQ(readBytes(identity_), "uuid=" + id + "\r\n");
}

TEST_F(DataFolderTest, FirstStartCreatesTheFolderSoTheIdIsKept) {
  test::DebugCapture capture;
  const std::string id = getDeviceId(nullptr);
  const std::string path = getAppDataFolder(nullptr) + "\\data.cof";
  EXPECT_TRUE(capture.hasLine(path));
  EXPECT_TRUE(capture.hasLine(path + " 不存在"));
  EXPECT_EQ(readBytes(identity_), "uuid=" + id + "\r\n");
  EXPECT_EQ(getDeviceId(nullptr), id);
  EXPECT_FALSE(fs::exists(identity_.wstring() + L".tmp"));
}

TEST(KeyValueFile, WritesEntriesInByteOrderOfKeys) {
  test::TempFolder temp;
  KeyValueFile file;
  file.set("b", "2");
  file.set("B", "upper");
  file.set("a", "1=1");
  file.set("a", "replaced");
  const std::string path = temp.narrow() + "\\kv.cof";
  ASSERT_TRUE(file.save(path));
  EXPECT_EQ(readBytes(temp.path() / "kv.cof"), "B=upper\r\na=replaced\r\nb=2\r\n");
  EXPECT_EQ(KeyValueFile(path).entries(), file.entries());
}

TEST(KeyValueFile, SaveIntoMissingFolderFailsWithoutLeavingFiles) {
  test::TempFolder temp;
  KeyValueFile file;
  file.set("uuid", "x");
  EXPECT_FALSE(file.save(temp.narrow() + "\\missing\\data.cof"));
  EXPECT_TRUE(fs::is_empty(temp.path()));
}

TEST(GenerateUuid, HasTheDeviceIdShapeAndDiffers) {
  std::set<std::string> ids;
  for (int i = 0; i < 1000; ++i) {
    const std::string id = generateUuid();
    ASSERT_TRUE(std::regex_match(id, kDeviceIdPattern)) << id;
    ids.insert(id);
  }
  EXPECT_EQ(ids.size(), 1000u);
}

TEST(MakeDirs, CreatesTheFoldersAlongAPath) {
  test::TempFolder temp;
  const std::string base = temp.narrow();
  EXPECT_EQ(makeDirs(base + "\\a\\b\\file.bin"), 0);
  EXPECT_TRUE(fs::is_directory(temp.path() / "a" / "b"));
  EXPECT_FALSE(fs::exists(temp.path() / "a" / "b" / "file.bin"));

  EXPECT_EQ(makeDirs(base + "\\c\\d"), 0);  // no final separator: d is a file name
  EXPECT_TRUE(fs::is_directory(temp.path() / "c"));
  EXPECT_FALSE(fs::exists(temp.path() / "c" / "d"));

  EXPECT_EQ(makeDirs(base + "/e/f/"), 0);
  EXPECT_TRUE(fs::is_directory(temp.path() / "e" / "f"));
}

TEST(MakeDirs, ChineseFolderNamesWhoseSecondByteIsABackslash) {
  test::TempFolder temp;
  // "\x95\x5C" is one character of code page 936 whose second byte is "\".
  const std::string name = "\xB5\xE7\x95\x5C";
  EXPECT_EQ(makeDirs(temp.narrow() + "\\" + name + "\\x\\"), 0);
  EXPECT_TRUE(fs::is_directory(test::fsPath(temp.narrow() + "\\" + name + "\\x")));
}

TEST(MakeDirs, RefusesLongPathsAndReportsFailures) {
  test::TempFolder temp;
  EXPECT_EQ(makeDirs(std::string(260, 'a')), -1);
  writeBytes(temp.path() / "file", "x");
  EXPECT_NE(makeDirs(temp.narrow() + "\\file\\sub\\"), 0);  // a file stands where a folder must go
}

}  // namespace
}  // namespace vyrn
