// Whether a path names an existing file on the machine.
#pragma once

#include <string>

namespace tarn {

// A folder does not count, nor does a path the file system cannot resolve.
bool FileExists(const std::string& path);

} // namespace tarn
