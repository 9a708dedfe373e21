#pragma once
// Talks to the loopback API stand-in (tests/servers/api_server.py) that the
// test harness starts for this build.

#include <string>

namespace vyrn::test {

struct RecordedRequest {
  int count = 0;  // API requests seen since the last reset
  std::string body;
  std::string contentType;
  bool signatureOk = false;
  bool timeValueOk = false;
  bool sentUserAgent = false;
};

class ApiServerControl {
 public:
  static std::string apiUrl();  // the address the launcher posts to in test builds
  void reset();
  void queueReply(int status, const std::string& body, double delaySeconds = 0);
  RecordedRequest last();
};

}  // namespace vyrn::test
