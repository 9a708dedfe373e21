#include "sdk/get_harrowen_game_request.h"

namespace ObrelSdk {
namespace {
constexpr int kGameId = 44;
}

GetHarrowenGameRequest::GetHarrowenGameRequest() { params["game_id"] = std::to_string(kGameId); }

std::string GetHarrowenGameRequest::getApiPath() const { return "/api/Package/getHarrowenPackage"; }

}  // namespace ObrelSdk
