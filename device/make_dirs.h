#pragma once

#include <string>

namespace vyrn {

// Creates every missing folder along path, one at each "\" or "/". Text after
// the last separator is not created, so a file path gets its folders.
// Returns 0 when they all exist afterwards, the failing creation's non-zero
// result otherwise, or -1 for a path longer than 259 bytes.
int makeDirs(std::string path);

}  // namespace vyrn
