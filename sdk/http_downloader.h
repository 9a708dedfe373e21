#pragma once
// Resumable download of one file over HTTP or HTTPS on a detached worker:
// a size query, then time-limited attempts that each append to the local file
// from where it ends, until it has the remote length. Reports a start notice
// per attempt, progress during a transfer and the path when complete.

#include <curl/curl.h>

#include <cstdint>
#include <functional>
#include <string>

namespace vyrn::sdk {
class DownloadSink;
}

namespace ObrelSdk {

struct DownloadOptions {
  // Each attempt is cut off after this long and resumed by the next one.
  long attemptSeconds = 30;
  // A PEM file of trusted certificates in place of the system's store; empty
  // uses the system's. Peer and host name are verified either way.
  std::string caBundlePath;
};

class HttpDownloader {
 public:
  using StartCallback = std::function<void(std::int64_t localLength, std::int64_t totalLength)>;
  using ProgressCallback = std::function<void(double percent, double total, double done, double speed)>;
  using SuccessCallback = std::function<void(std::string localPath)>;

  // How one attempt ended.
  enum class Attempt {
    Complete,       // the local file has the remote length
    Failed,         // try again after the pause
    RemoteChanged,  // the server's file is not the one measured: measure again
  };

  explicit HttpDownloader(DownloadOptions options = {});

  // Runs runDownload on a copy of this object on a detached thread and returns.
  // Throws std::system_error when no thread can be started.
  void start(const std::string& url, const std::string& path) const;

  // The worker's body: returns when the file is complete (after the finished
  // notice) or when the server gives no usable size.
  void runDownload(std::string url, std::string path);

  // One transfer attempt of at most timeoutSeconds.
  Attempt tryDownload(std::int64_t total, long timeoutSeconds, const std::string& url, const std::string& path);

  // libcurl's transfer-info function; client data is this object. Always 0.
  static int progressFunction(void* downloader, curl_off_t expected, curl_off_t received, curl_off_t uploadTotal,
                              curl_off_t uploadNow);

 private:
  // What the response of the current attempt allows, decided once its headers are in.
  enum class Verdict { Undecided, Accepted, RangeIgnored, RemoteChanged, HttpError };

  static std::size_t headerFunction(char* data, std::size_t size, std::size_t count, void* downloader);
  static std::size_t writeFunction(char* data, std::size_t size, std::size_t count, void* downloader);
  std::int64_t querySize(const std::string& url) const;
  void applyTls(CURL* transfer) const;
  Verdict judgeResponse();

  CURL* mTransfer = nullptr;  // the attempt in progress, for the transfer-info function
  std::int64_t mTotalSize = 0;
  std::int64_t mLocalSize = 0;

 public:
  ProgressCallback m_DownloadProgressCallBack;
  StartCallback m_DownloadStartCallBack;
  SuccessCallback m_DownloadSuccCallBack;

 private:
  DownloadOptions mOptions;
  vyrn::sdk::DownloadSink* mSink = nullptr;  // the attempt's file
  Verdict mVerdict = Verdict::Undecided;
  long mStatus = 0;
};

// Builds a downloader with the three callbacks and starts it; returns at once.
// Throws std::system_error when no thread can be started.
void downloadFile(std::string url, std::string path, HttpDownloader::StartCallback onStart,
                  HttpDownloader::ProgressCallback onProgress, HttpDownloader::SuccessCallback onFinished);

// "下载速度" followed by the speed with six decimals and its unit (B, KB, M, G).
std::string downloadSpeedText(double bytesPerSecond);

}  // namespace ObrelSdk
