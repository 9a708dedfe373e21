// Downloads one file with the launcher's downloader and exits 0 when it is
// complete; the kill test stops it at random points and starts it again.
//   download_probe URL PATH

#include <cstdio>

#include "sdk/http_downloader.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: download_probe URL PATH\n");
    return 2;
  }
  bool finished = false;
  ObrelSdk::HttpDownloader downloader;
  downloader.m_DownloadSuccCallBack = [&finished](std::string) { finished = true; };
  downloader.runDownload(argv[1], argv[2]);
  return finished ? 0 : 1;
}
