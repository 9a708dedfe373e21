#pragma once

#include <string>

namespace vyrn {

// Copies the program's embedded resource (id 103, type resourceType) to
// targetPath once: an existing file is kept as it is. True when the file
// existed or has been written completely; false otherwise, with one debug line
// saying why. The bytes go to a temporary file first and are renamed into
// place only when complete, so a failed write never leaves a file that a
// later call would take for the finished one.
bool writeResourceToFile(const std::wstring& resourceType, const std::wstring& targetPath);

}  // namespace vyrn
