#pragma once
// Owners for libcurl handles, so every path releases what it created.

#include <curl/curl.h>

#include <memory>

namespace vyrn::sdk {

struct CurlEasyDeleter {
  void operator()(CURL* handle) const noexcept { curl_easy_cleanup(handle); }
};
using CurlEasy = std::unique_ptr<CURL, CurlEasyDeleter>;

struct CurlSlistDeleter {
  void operator()(curl_slist* list) const noexcept { curl_slist_free_all(list); }
};
using CurlHeaderList = std::unique_ptr<curl_slist, CurlSlistDeleter>;

// A new easy handle, with libcurl's process-wide set-up done once before the
// first one. Null when libcurl cannot create it.
CurlEasy makeCurlEasy();

}  // namespace vyrn::sdk
