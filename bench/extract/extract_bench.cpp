// extract_bench generate FOLDER MEGABYTES   deterministic, compressible test data
// extract_bench extract MODULE ARCHIVE FOLDER   one Bit7zTool extraction, seconds on stdout

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "platform/code_page.h"
#include "sdk/bit7z_tool.h"

namespace {

// A fixed vocabulary and a linear congruential generator: text-like data
// that LZMA2 packs to a fraction, not to nothing.
int generate(const std::filesystem::path& folder, int megabytes) {
  std::uint64_t state = 0x9E3779B97F4A7C15ull;
  auto next = [&state] {
    state = state * 6364136223846793005ull + 1442695040888963407ull;
    return static_cast<std::uint32_t>(state >> 33);
  };
  std::vector<std::string> words(1024);
  for (auto& word : words) {
    const int length = 2 + static_cast<int>(next() % 10);
    for (int i = 0; i < length; ++i) word += static_cast<char>('a' + next() % 26);
  }
  constexpr std::size_t kFileSize = 8u << 20;
  const int files = (megabytes + 7) / 8;
  std::string buffer;
  for (int f = 0; f < files; ++f) {
    const auto sub = folder / ("part" + std::to_string(f % 8));
    std::filesystem::create_directories(sub);
    buffer.clear();
    while (buffer.size() < kFileSize) {
      const std::uint32_t r = next();
      if (r % 64 == 0) {
        buffer += std::to_string(next());  // numbers break up the word stream
      } else {
        buffer += words[r % words.size()];
      }
      buffer += (r % 13 == 0) ? '\n' : ' ';
    }
    buffer.resize(kFileSize);
    std::ofstream(sub / ("data" + std::to_string(f) + ".bin"), std::ios::binary).write(buffer.data(), buffer.size());
  }
  return 0;
}

int extract(const char* module, const char* archive, const char* folder) {
  using vyrn::platform::CodePage;
  ObrelSdk::Bit7zTool tool;
  tool.mLibraryPath = vyrn::platform::toWide(CodePage::Utf8, module);
  double lastShare = 0;
  bool ok = false;
  tool.mProgressCallback = [&](double share) { lastShare = share; };
  tool.mFinishCallback = [&](std::wstring) { ok = true; };
  const auto start = std::chrono::steady_clock::now();
  tool.runExtraction(vyrn::platform::toWide(CodePage::Utf8, archive), vyrn::platform::toWide(CodePage::Utf8, folder));
  const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
  if (!ok || lastShare != 1.0) return 1;
  std::printf("%.3f\n", elapsed.count());
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string mode = argc > 1 ? argv[1] : "";
  if (mode == "generate" && argc == 4) return generate(argv[2], std::atoi(argv[3]));
  if (mode == "extract" && argc == 5) return extract(argv[2], argv[3], argv[4]);
  std::fprintf(stderr, "usage: extract_bench generate FOLDER MB | extract MODULE ARCHIVE FOLDER\n");
  return 2;
}
