#pragma once

namespace vyrn::platform {

// A native window handle (HWND on Windows) for code that only passes it on.
using WindowHandle = void*;

}  // namespace vyrn::platform
