// Downloads one file with the launcher's downloader and prints what it cost:
//   download_bench URL PATH   ->   "seconds=S bytes=B peak_rss_kib=K"

#include <sys/resource.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <string>

#include "sdk/http_downloader.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: download_bench URL PATH\n");
    return 2;
  }
  std::int64_t total = -1;
  bool finished = false;
  ObrelSdk::HttpDownloader downloader;
  downloader.m_DownloadStartCallBack = [&total](std::int64_t, std::int64_t length) { total = length; };
  downloader.m_DownloadSuccCallBack = [&finished](std::string) { finished = true; };
  const auto began = std::chrono::steady_clock::now();
  downloader.runDownload(argv[1], argv[2]);
  const std::chrono::duration<double> took = std::chrono::steady_clock::now() - began;

  rusage usage{};
  ::getrusage(RUSAGE_SELF, &usage);
  std::printf("seconds=%.3f bytes=%lld peak_rss_kib=%ld\n", took.count(), static_cast<long long>(total),
              usage.ru_maxrss);
  return finished ? 0 : 1;
}
