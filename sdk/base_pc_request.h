#pragma once
// A signed form request to the publisher's PC API: the parameters in name
// order, a time value and an MD5 signature over both and the signing key.

#include <functional>
#include <map>
#include <string>

namespace ObrelSdk {

class BasePcRequest {
 public:
  using SuccessCallback = std::function<void(std::string reply)>;
  using FailureCallback = std::function<void(std::string message)>;

  virtual ~BasePcRequest() = default;

  // "name=value&...&time=T&sign=S"; reads the clock at every call.
  std::string getPostContent() const;
  // "http://" + API host + getApiPath().
  std::string getPostUrl() const;
  virtual std::string getApiPath() const = 0;

  // Posts body to url on a detached worker thread and reports the reply body
  // or a failure text there. Throws std::system_error if no thread can start.
  static void postAsync(const std::string& url, std::string body, SuccessCallback onSuccess,
                        FailureCallback onFailure);
  static void postWorker(std::string url, std::string body, SuccessCallback onSuccess, FailureCallback onFailure);

 protected:
  std::map<std::string, std::string> params;
};

}  // namespace ObrelSdk
