#pragma once
// The loopback peers of the download tests (nginx and our fault server, both
// started as ctest fixtures) and a recorder for the downloader's notices.

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "sdk/http_downloader.h"

namespace vyrn::test {

// Bytes [begin, end) of every served file; the servers use the same rule.
std::string patternBytes(std::int64_t begin, std::int64_t end);

// Plain GET/POST for the peers' control paths; throws when unreachable.
std::string httpGet(const std::string& url);
std::string httpPost(const std::string& url, const std::string& body);

struct Nginx {
  static std::string http(const std::string& path);   // http://127.0.0.1:<port><path>
  static std::string https(const std::string& host, const std::string& path);
  static std::string certificateFile();                 // native path of its self-signed certificate
  // Access-log lines ("GET /uri range=[bytes=N-] status=S sent=B") for uri.
  static std::vector<std::string> requestsFor(const std::string& uri);
};

struct SeenRequest {
  std::string range;  // "" or "bytes=N-"
};

struct FaultServer {
  static std::string fileUrl(std::int64_t size);
  static void reset();
  static void plan(const std::string& jsonActions);
  static std::vector<SeenRequest> requests();
};

struct ProgressNotice {
  double percent, total, done, speed;
};

// Everything a downloader reported, from its worker thread.
class Notices {
 public:
  void attach(ObrelSdk::HttpDownloader& downloader);

  std::vector<std::pair<std::int64_t, std::int64_t>> starts() const;
  std::vector<ProgressNotice> progress() const;
  std::vector<std::string> finished() const;
  bool waitFinished(std::chrono::milliseconds timeout) const;

 private:
  struct State {
    mutable std::mutex mutex;
    mutable std::condition_variable changed;
    std::vector<std::pair<std::int64_t, std::int64_t>> starts;
    std::vector<ProgressNotice> progress;
    std::vector<std::string> finished;
  };
  std::shared_ptr<State> state_ = std::make_shared<State>();
};

}  // namespace vyrn::test
