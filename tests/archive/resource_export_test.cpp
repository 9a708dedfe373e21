#include "device/resource_export.h"

#include <gtest/gtest.h>

#include "archive_test_util.h"
#include "platform/resources.h"
#include "support/debug_capture.h"
#include "support/temp_folder.h"

namespace vyrn {
namespace {

using test::widePath;
namespace fs = std::filesystem;

// The payload the test program carries as resource "Dll7zxa" 103: its own
// resource section on Windows, the native table elsewhere.
class ResourceExportTest : public ::testing::Test {
 protected:
  void SetUp() override {
    payload_ = test::readBytes(fs::path(VYRN_TEST_RESOURCE_PAYLOAD));
    ASSERT_FALSE(payload_.empty());
#ifndef _WIN32
    platform::registerResource(L"Dll7zxa", 103, payload_);
    platform::registerResource(L"EmptyRes", 103, "");
#endif
  }

  // Exactly the given narrow debug lines were written.
  void expectLines(const std::vector<std::string>& lines) { EXPECT_EQ(debug_.narrowLines(), lines); }

  std::string payload_;
  test::TempFolder temp_;
  test::DebugCapture debug_;
};

TEST_F(ResourceExportTest, WritesTheResourceOnceIntoNewFolders) {
  const fs::path target = temp_.path() / "VYRN_HARROWEN" / "sub" / "ob7zxa.dll";
  // The type name matches without regard to case, as Windows resource names do.
  ASSERT_TRUE(writeResourceToFile(L"dll7ZXA", widePath(target)));
  EXPECT_EQ(test::readBytes(target), payload_);
  EXPECT_FALSE(fs::exists(target.string() + ".part"));
  expectLines({});

  // A later call keeps whatever is there, damaged or not.
  test::writeBytes(target, "damaged");
  EXPECT_TRUE(writeResourceToFile(L"Dll7zxa", widePath(target)));
  EXPECT_EQ(test::readBytes(target), "damaged");
  expectLines({"Resource exist!"});
}

TEST_F(ResourceExportTest, FailuresLeaveNoFileBehind) {
  test::writeBytes(temp_.path() / "a_file", "x");
  const struct {
    const wchar_t* type;
    fs::path target;
    const char* message;
  } cases[] = {
      {L"NoSuchType", temp_.path() / "data" / "ob7zxa.dll", "Find Resource Error!"},
      // A file where the folder should be: the file cannot be created.
      {L"Dll7zxa", temp_.path() / "a_file" / "ob7zxa.dll", "Create File Error!"},
#ifndef _WIN32
      {L"EmptyRes", temp_.path() / "data" / "ob7zxa.dll", "Get Resource Error!"},
#endif
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.message);
    debug_.clear();
    EXPECT_FALSE(writeResourceToFile(c.type, widePath(c.target)));
    expectLines({c.message});
    EXPECT_FALSE(fs::exists(c.target));
    EXPECT_FALSE(fs::exists(c.target.string() + ".part"));
  }
}

}  // namespace
}  // namespace vyrn
