#pragma once
// The facade the main window uses to ask which game package is current.
// Results arrive on the request's worker thread through the two callbacks,
// which the owner assigns before the first query and keeps while it runs.

#include <functional>
#include <string>

namespace ObrelSdk {

class Api {
 public:
  using GetPackSuccCallBack = std::function<void(std::string versionName, bool isAllowUpdate,
                                                 std::string packageLink, std::string updatePackageLink)>;
  using GetPackFailCallBack = std::function<void(std::string message)>;

  GetPackSuccCallBack m_GetPackSuccCallBack;
  GetPackFailCallBack m_GetPackFailCallBack;

  // Starts one query and returns at once. Throws std::system_error if its
  // worker thread cannot start.
  void getHarrowenGamePackage();

 private:
  void onPostSuccess(std::string reply);
  void onPostFailure(std::string message);
};

}  // namespace ObrelSdk
