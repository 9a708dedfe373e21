// The main window's install decision: which package the answer of the
// package query leads to, from the installed game's file version.

#include <gtest/gtest.h>

#include <windows.h>

#include <filesystem>
#include <string>

#include "app/main_window.h"
#include "device/text_encoding.h"
#include "support/debug_capture.h"
#include "support/temp_folder.h"

namespace {

namespace fs = std::filesystem;

// A program with the version block 1.0.0.0 (the launcher) and one without.
const fs::path kVersionedProgram = VYRN_VERSIONED_PROGRAM;
const fs::path kUnversionedProgram = VYRN_UNVERSIONED_PROGRAM;

// Links that no server answers: the download started for them ends after
// its size query, so the decision is all a case sees.
const std::string kFullLink = "http://127.0.0.1:9/full.7z";
const std::string kUpdateLink = "http://127.0.0.1:9/update.7z";

TEST(GetFileVersion, ReadsTheFixedFileVersion) {
  vyrn::test::TempFolder temp;
  EXPECT_EQ(VyrnGameLauncherHarrowen::GetFileVersion(vyrn::wideToAnsi(kVersionedProgram.wstring())), "1.0.0.0");
  EXPECT_EQ(VyrnGameLauncherHarrowen::GetFileVersion(vyrn::wideToAnsi(kUnversionedProgram.wstring())), "");
  EXPECT_EQ(VyrnGameLauncherHarrowen::GetFileVersion(temp.narrow() + "\\missing.exe"), "");
  EXPECT_EQ(VyrnGameLauncherHarrowen::GetFileVersion(""), "");
}

struct Decision {
  const char* name;
  const fs::path* installed;  // copied to vyrn\Game.exe, or none
  const char* versionName;
  bool isAllowUpdate;
  const char* expectedLine;
};

class InstallDecision : public testing::TestWithParam<Decision> {};

TEST_P(InstallDecision, PicksThePackage) {
  const Decision& decision = GetParam();
  vyrn::test::TempFolder temp;
  if (decision.installed) {
    fs::create_directories(temp.path() / "vyrn");
    fs::copy_file(*decision.installed, temp.path() / "vyrn" / "Game.exe");
  }
  // Never freed, like the launcher's: the download thread reports to it.
  auto* window = new VyrnGameLauncherHarrowen();
  window->mModuleDir = temp.narrow();

  vyrn::test::DebugCapture capture;
  window->OnGetGameSuccCallback(decision.versionName, decision.isAllowUpdate, kFullLink, kUpdateLink);
  EXPECT_EQ(window->mExePath, temp.narrow() + "\\vyrn\\Game.exe");
  EXPECT_TRUE(capture.hasLine("zipFileName: " + temp.narrow() + "\\vyrn.cache"));
  EXPECT_TRUE(capture.hasLine(decision.expectedLine)) << decision.name;
  EXPECT_TRUE(capture.hasLine("local file_version: " +
                              std::string(decision.installed == &kVersionedProgram ? "1.0.0.0" : "") +
                              ", file version: " + decision.versionName));
  // The download has started: its size query reports (and finds no server).
  EXPECT_TRUE(capture.waitForLine("需要下载文件总大小：-1"));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, InstallDecision,
    testing::Values(Decision{"not installed", nullptr, "1.0.0.0", true, "exe version info is empty. start download game"},
                    Decision{"no version block", &kUnversionedProgram, "1.0.0.0", true,
                             "exe version info is empty. start download game"},
                    Decision{"other version, update allowed", &kVersionedProgram, "1.0.0.1", true,
                             "is_allow_update: true"},
                    Decision{"other version, update refused", &kVersionedProgram, "1.0.0.01", false,
                             "is_allow_update: false"}),
    [](const testing::TestParamInfo<Decision>& info) {
      std::string name = info.param.name;
      for (auto& ch : name)
        if (!isalnum(static_cast<unsigned char>(ch))) ch = '_';
      return name;
    });

}  // namespace
