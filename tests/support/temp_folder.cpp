#include "support/temp_folder.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace vyrn::test {

long TempFolder::processId() {
#ifdef _WIN32
  return static_cast<long>(::GetCurrentProcessId());
#else
  return static_cast<long>(::getpid());
#endif
}

}  // namespace vyrn::test
