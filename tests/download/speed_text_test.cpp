// The speed line of the debug log: unit thresholds are strict.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sdk/http_downloader.h"

namespace {

TEST(DownloadSpeedText, PicksTheUnitAboveEachThreshold) {
  const std::vector<std::pair<double, std::string>> cases = {
      {0, "下载速度0.000000B"},
      {1024, "下载速度1024.000000B"},
      {2048, "下载速度2.000000KB"},
      {1048576, "下载速度1024.000000KB"},
      {1048577, "下载速度1.000001M"},
      {1073741824, "下载速度1024.000000M"},
      {3.0 * 1073741824, "下载速度3.000000G"},
  };
  for (const auto& [speed, text] : cases) EXPECT_EQ(ObrelSdk::downloadSpeedText(speed), text) << speed;
}

}  // namespace
