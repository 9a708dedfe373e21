#include "download/download_peers.h"

#include <json/json.h>

#include <sstream>

#include "support/http_fetch.h"

namespace vyrn::test {
namespace {

std::string loopback(int port, const std::string& path) {
  return "http://127.0.0.1:" + std::to_string(port) + path;
}

}  // namespace

std::string patternBytes(std::int64_t begin, std::int64_t end) {
  std::string bytes;
  bytes.reserve(static_cast<size_t>(end - begin));
  for (std::int64_t i = begin; i < end; ++i) bytes += static_cast<char>(((i * 7919) ^ (i >> 9)) & 0xFF);
  return bytes;
}

std::string httpGet(const std::string& url) { return httpFetch(url, nullptr, "test peer"); }
std::string httpPost(const std::string& url, const std::string& body) { return httpFetch(url, &body, "test peer"); }

std::string Nginx::http(const std::string& path) { return loopback(VYRN_DOWNLOAD_HTTP_PORT, path); }

std::string Nginx::https(const std::string& host, const std::string& path) {
  return "https://" + host + ":" + std::to_string(VYRN_DOWNLOAD_HTTPS_PORT) + path;
}

std::string Nginx::certificateFile() { return VYRN_DOWNLOAD_NGINX_PREFIX "/tls/localhost.pem"; }

std::vector<std::string> Nginx::requestsFor(const std::string& uri) {
  std::istringstream log(httpGet(http("/_log/access.log")));
  std::vector<std::string> lines;
  for (std::string line; std::getline(log, line);) {
    if (line.find(" " + uri + " ") != std::string::npos) lines.push_back(line);
  }
  return lines;
}

std::string FaultServer::fileUrl(std::int64_t size) {
  return loopback(VYRN_DOWNLOAD_FAULT_PORT, "/file?size=" + std::to_string(size));
}

void FaultServer::reset() { httpPost(loopback(VYRN_DOWNLOAD_FAULT_PORT, "/_control/reset"), ""); }

void FaultServer::plan(const std::string& jsonActions) {
  httpPost(loopback(VYRN_DOWNLOAD_FAULT_PORT, "/_control/plan"), jsonActions);
}

std::vector<SeenRequest> FaultServer::requests() {
  Json::Value seen;
  std::istringstream text(httpGet(loopback(VYRN_DOWNLOAD_FAULT_PORT, "/_control/requests")));
  text >> seen;
  std::vector<SeenRequest> result;
  for (const auto& entry : seen) result.push_back({entry["range"].asString()});
  return result;
}

void Notices::attach(ObrelSdk::HttpDownloader& downloader) {
  auto state = state_;
  downloader.m_DownloadStartCallBack = [state](std::int64_t local, std::int64_t total) {
    std::lock_guard<std::mutex> lock(state->mutex);
    state->starts.emplace_back(local, total);
  };
  downloader.m_DownloadProgressCallBack = [state](double percent, double total, double done, double speed) {
    std::lock_guard<std::mutex> lock(state->mutex);
    state->progress.push_back({percent, total, done, speed});
  };
  downloader.m_DownloadSuccCallBack = [state](std::string path) {
    std::lock_guard<std::mutex> lock(state->mutex);
    state->finished.push_back(std::move(path));
    state->changed.notify_all();
  };
}

std::vector<std::pair<std::int64_t, std::int64_t>> Notices::starts() const {
  std::lock_guard<std::mutex> lock(state_->mutex);
  return state_->starts;
}

std::vector<ProgressNotice> Notices::progress() const {
  std::lock_guard<std::mutex> lock(state_->mutex);
  return state_->progress;
}

std::vector<std::string> Notices::finished() const {
  std::lock_guard<std::mutex> lock(state_->mutex);
  return state_->finished;
}

bool Notices::waitFinished(std::chrono::milliseconds timeout) const {
  std::unique_lock<std::mutex> lock(state_->mutex);
  return state_->changed.wait_for(lock, timeout, [&] { return !state_->finished.empty(); });
}

}  // namespace vyrn::test
