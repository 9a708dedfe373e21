#include "sdk/http_downloader.h"

#include <chrono>
#include <cstdio>
#include <string_view>
#include <thread>

#include "platform/debug_output.h"
#include "sdk/curl_easy.h"
#include "sdk/download_sink.h"

namespace ObrelSdk {
namespace {

using vyrn::platform::debugOutput;

constexpr auto kPauseAfterFailedAttempt = std::chrono::milliseconds(500);
// Larger reads than libcurl's 16 KiB default: fewer callbacks and writes per byte.
constexpr long kReceiveBufferBytes = 128 * 1024;

}  // namespace

HttpDownloader::HttpDownloader(DownloadOptions options) : mOptions(std::move(options)) {}

void HttpDownloader::start(const std::string& url, const std::string& path) const {
  std::thread(&HttpDownloader::runDownload, *this, url, path).detach();
}

void HttpDownloader::runDownload(std::string url, std::string path) {
  if (url.empty()) {
    debugOutput("下载地址为空，不下载");
    return;
  }
  if (path.empty()) {
    debugOutput("本地文件路径为空，不下载");
    return;
  }
  if (mOptions.attemptSeconds <= 0) {
    debugOutput("下载超时设置无效：" + std::to_string(mOptions.attemptSeconds));
    return;
  }
  for (;;) {
    const std::int64_t total = querySize(url);
    debugOutput("需要下载文件总大小：" + std::to_string(total));
    if (total <= 0) return;
    for (;;) {
      const Attempt attempt = tryDownload(total, mOptions.attemptSeconds, url, path);
      if (attempt == Attempt::Complete) {
        if (m_DownloadSuccCallBack) m_DownloadSuccCallBack(path);
        return;
      }
      std::this_thread::sleep_for(kPauseAfterFailedAttempt);
      if (attempt == Attempt::RemoteChanged) break;
    }
  }
}

std::int64_t HttpDownloader::querySize(const std::string& url) const {
  const vyrn::sdk::CurlEasy curl = vyrn::sdk::makeCurlEasy();
  if (!curl) {
    debugOutput("curl初始化失败。");
    return -1;
  }
  // A GET whose body is not read: some servers answer HEAD differently.
  curl_easy_setopt(curl.get(), CURLOPT_URL, url.c_str());
  curl_easy_setopt(curl.get(), CURLOPT_CUSTOMREQUEST, "GET");
  curl_easy_setopt(curl.get(), CURLOPT_NOBODY, 1L);
  curl_easy_setopt(curl.get(), CURLOPT_TIMEOUT, mOptions.attemptSeconds);
  applyTls(curl.get());
  const CURLcode result = curl_easy_perform(curl.get());
  debugOutput(curl_easy_strerror(result));
  if (result != CURLE_OK) return -1;

  // Only the file itself measures it: an error or redirect page has a length too.
  long status = 0;
  curl_easy_getinfo(curl.get(), CURLINFO_RESPONSE_CODE, &status);
  if (status != 200) {
    debugOutput("文件大小查询的HTTP状态：" + std::to_string(status));
    return -1;
  }
  curl_off_t length = -1;
  if (curl_easy_getinfo(curl.get(), CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length) != CURLE_OK) return -1;
  return static_cast<std::int64_t>(length);
}

void HttpDownloader::applyTls(CURL* transfer) const {
  curl_easy_setopt(transfer, CURLOPT_SSL_VERIFYPEER, 1L);
  curl_easy_setopt(transfer, CURLOPT_SSL_VERIFYHOST, 2L);
  // Schannel: an unreachable revocation server must not stop every download.
  curl_easy_setopt(transfer, CURLOPT_SSL_OPTIONS, static_cast<long>(CURLSSLOPT_REVOKE_BEST_EFFORT));
  if (!mOptions.caBundlePath.empty()) curl_easy_setopt(transfer, CURLOPT_CAINFO, mOptions.caBundlePath.c_str());
}

HttpDownloader::Attempt HttpDownloader::tryDownload(std::int64_t total, long timeoutSeconds, const std::string& url,
                                                    const std::string& path) {
  vyrn::sdk::DownloadSink sink;
  if (!sink.open(path)) {
    debugOutput("无法访问文件：" + path);
    return Attempt::Failed;
  }
  std::int64_t local = sink.length();
  debugOutput("本地已下载文件大小：" + std::to_string(local));
  if (local > total) {
    // Not a prefix of this file: resuming could never complete it.
    debugOutput("本地文件比服务器文件大，从头下载");
    if (!sink.restart()) {
      debugOutput("无法访问文件：" + path);
      return Attempt::Failed;
    }
    local = 0;
  }
  if (m_DownloadStartCallBack) m_DownloadStartCallBack(local, total);
  if (local == total) return sink.close() ? Attempt::Complete : Attempt::Failed;

  const vyrn::sdk::CurlEasy curl = vyrn::sdk::makeCurlEasy();
  if (!curl) {
    debugOutput("curl初始化失败。");
    return Attempt::Failed;
  }
  curl_easy_setopt(curl.get(), CURLOPT_URL, url.c_str());
  curl_easy_setopt(curl.get(), CURLOPT_TIMEOUT, timeoutSeconds);
  curl_easy_setopt(curl.get(), CURLOPT_HEADERFUNCTION, &HttpDownloader::headerFunction);
  curl_easy_setopt(curl.get(), CURLOPT_HEADERDATA, this);
  curl_easy_setopt(curl.get(), CURLOPT_WRITEFUNCTION, &HttpDownloader::writeFunction);
  curl_easy_setopt(curl.get(), CURLOPT_WRITEDATA, this);
  curl_easy_setopt(curl.get(), CURLOPT_RESUME_FROM_LARGE, static_cast<curl_off_t>(local));
  curl_easy_setopt(curl.get(), CURLOPT_NOPROGRESS, 0L);
  curl_easy_setopt(curl.get(), CURLOPT_XFERINFOFUNCTION, &HttpDownloader::progressFunction);
  curl_easy_setopt(curl.get(), CURLOPT_XFERINFODATA, this);
  curl_easy_setopt(curl.get(), CURLOPT_BUFFERSIZE, kReceiveBufferBytes);
  applyTls(curl.get());

  mTransfer = curl.get();
  mLocalSize = local;
  mTotalSize = total;
  mSink = &sink;
  mVerdict = Verdict::Undecided;
  mStatus = 0;
  const CURLcode result = curl_easy_perform(curl.get());
  // libcurl may end a response it will not deliver before the header function sees its end.
  if (mVerdict == Verdict::Undecided) judgeResponse();
  mTransfer = nullptr;
  mSink = nullptr;
  const bool closed = sink.close();

  switch (mVerdict) {
    case Verdict::Accepted:
      if (result == CURLE_OK && closed && sink.length() == total) return Attempt::Complete;
      debugOutput(std::string("下载未完成：") + curl_easy_strerror(result));
      return Attempt::Failed;
    case Verdict::RangeIgnored:
      debugOutput("服务器未按断点续传应答（HTTP 200），从头下载");
      if (!sink.restart()) debugOutput("无法访问文件：" + path);
      sink.close();
      return Attempt::Failed;
    case Verdict::RemoteChanged:
      // A different file now: the local prefix belongs to the old one.
      debugOutput("服务器文件已变化（HTTP " + std::to_string(mStatus) + "），重新查询大小并从头下载");
      if (!sink.restart()) debugOutput("无法访问文件：" + path);
      sink.close();
      return Attempt::RemoteChanged;
    case Verdict::HttpError:
      debugOutput("下载请求失败，HTTP状态：" + std::to_string(mStatus));
      return Attempt::Failed;
    case Verdict::Undecided:
      break;
  }
  debugOutput(std::string("下载未完成：") + curl_easy_strerror(result));
  return Attempt::Failed;
}

HttpDownloader::Verdict HttpDownloader::judgeResponse() {
  curl_easy_getinfo(mTransfer, CURLINFO_RESPONSE_CODE, &mStatus);
  if (mStatus < 200) return mVerdict = Verdict::Undecided;  // none yet, or an interim 1xx
  curl_off_t length = -1;
  curl_easy_getinfo(mTransfer, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length);
  const bool resumed = mLocalSize > 0;
  const long wanted = resumed ? 206 : 200;
  if (mStatus == wanted) {
    const std::int64_t expected = mTotalSize - mLocalSize;
    mVerdict = (length < 0 || length == expected) ? Verdict::Accepted : Verdict::RemoteChanged;
  } else if (resumed && mStatus == 200) {
    mVerdict = Verdict::RangeIgnored;
  } else if (mStatus == 416) {
    mVerdict = Verdict::RemoteChanged;
  } else {
    mVerdict = Verdict::HttpError;
  }
  return mVerdict;
}

std::size_t HttpDownloader::headerFunction(char* data, std::size_t size, std::size_t count, void* downloader) {
  auto& self = *static_cast<HttpDownloader*>(downloader);
  const std::size_t bytes = size * count;
  const std::string_view line(data, bytes);
  if (line.substr(0, 5) == "HTTP/") {
    self.mVerdict = Verdict::Undecided;  // every response, interim ones too, starts a new header block
  } else if (line == "\r\n" || line == "\n") {
    const Verdict verdict = self.judgeResponse();
    // Ending the transfer here keeps a refused response's body out of the file.
    if (verdict != Verdict::Accepted && verdict != Verdict::Undecided) return 0;
  }
  return bytes;
}

std::size_t HttpDownloader::writeFunction(char* data, std::size_t size, std::size_t count, void* downloader) {
  auto& self = *static_cast<HttpDownloader*>(downloader);
  if (self.mVerdict == Verdict::Undecided) self.judgeResponse();
  if (self.mVerdict != Verdict::Accepted) return 0;
  return self.mSink->append(data, size * count);
}

int HttpDownloader::progressFunction(void* downloader, curl_off_t expected, curl_off_t received, curl_off_t,
                                     curl_off_t) {
  const auto& self = *static_cast<const HttpDownloader*>(downloader);
  curl_off_t speed = 0;
  curl_easy_getinfo(self.mTransfer, CURLINFO_SPEED_DOWNLOAD_T, &speed);
  // expected is 0 until the headers are in; a refused response's figures are not ours.
  if (self.m_DownloadProgressCallBack && expected != 0 && self.mTotalSize > 0 &&
      self.mVerdict == Verdict::Accepted) {
    const double total = static_cast<double>(self.mTotalSize);
    const double done = total - static_cast<double>(expected) + static_cast<double>(received);
    self.m_DownloadProgressCallBack(done / total * 100.0, total, done, static_cast<double>(speed));
  }
  debugOutput(downloadSpeedText(static_cast<double>(speed)));
  return 0;
}

void downloadFile(std::string url, std::string path, HttpDownloader::StartCallback onStart,
                  HttpDownloader::ProgressCallback onProgress, HttpDownloader::SuccessCallback onFinished) {
  HttpDownloader downloader;
  downloader.m_DownloadStartCallBack = std::move(onStart);
  downloader.m_DownloadProgressCallBack = std::move(onProgress);
  downloader.m_DownloadSuccCallBack = std::move(onFinished);
  downloader.start(url, path);
}

std::string downloadSpeedText(double bytesPerSecond) {
  const char* unit = "B";
  double value = bytesPerSecond;
  if (bytesPerSecond > 1073741824.0) {
    unit = "G";
    value = bytesPerSecond / 1073741824.0;
  } else if (bytesPerSecond > 1048576.0) {
    unit = "M";
    value = bytesPerSecond / 1048576.0;
  } else if (bytesPerSecond > 1024.0) {
    unit = "KB";
    value = bytesPerSecond / 1024.0;
  }
  const int length = std::snprintf(nullptr, 0, "%f", value);
  std::string number(length > 0 ? static_cast<std::size_t>(length) : 0, '\0');
  if (length > 0) std::snprintf(number.data(), number.size() + 1, "%f", value);
  return "下载速度" + number + unit;
}

}  // namespace ObrelSdk
