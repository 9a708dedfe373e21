#include "archive/seven_zip_abi.h"

#ifdef _WIN32
#include <windows.h>
#include <oleauto.h>
#else
#include <cstdlib>
#endif

namespace vyrn::archive::abi {

void clearVariant(PropVariant& value) {
  if (value.vt == kVtBstr && value.bstr != nullptr) {
#ifdef _WIN32
    ::SysFreeString(value.bstr);
#else
    // 7-Zip's own BSTR outside Windows: malloc'ed, a 32-bit length first.
    std::free(reinterpret_cast<std::uint32_t*>(value.bstr) - 1);
#endif
  }
  value = PropVariant();
}

}  // namespace vyrn::archive::abi
