#pragma once

#include "sdk/base_pc_request.h"

namespace ObrelSdk {

// Which game package is current for the Harrowen edition (game 44).
class GetHarrowenGameRequest : public BasePcRequest {
 public:
  GetHarrowenGameRequest();
  std::string getApiPath() const override;
};

}  // namespace ObrelSdk
