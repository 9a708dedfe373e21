#pragma once
// One libcurl round trip for the tests' loopback peers and control paths.

#include <string>

namespace vyrn::test {

// GETs url, or POSTs *postBody when given, and returns the reply body
// whatever its status. Throws std::runtime_error("<peerName> unreachable at
// <url>") when no reply arrives within 10 s.
std::string httpFetch(const std::string& url, const std::string* postBody, const std::string& peerName);

}  // namespace vyrn::test
