#include "framework/FileExists.h"

#include "platform/Platform.h"

namespace tarn {

bool FileExists(const std::string& path) {
    // No file system resolves an empty path: it is not asked.
    platform::DWORD attributes = 0;
    return !path.empty() &&
           platform::Files().GetAttributes(path, attributes) == platform::ERROR_SUCCESS &&
           (attributes & platform::FILE_ATTRIBUTE_DIRECTORY) == 0;
}

} // namespace tarn
