// Replacing a file so that a crash at any moment leaves either its old or its new content.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace tarn::platform::portable {

// Writes content to a temporary file beside file, syncs it, renames it over file and syncs the
// folder. Throws MachineError; file is then unchanged.
void WriteFileAtomically(const std::filesystem::path& file, std::string_view content);

// Removes the temporary files that a writer of file left when it was killed. Only call it while
// no one else may be writing file (the machine lock is held).
void RemoveStaleTemporaries(const std::filesystem::path& file);

// Whether a folder entry is one of file's temporary files.
bool IsTemporaryOf(const std::filesystem::path& file, const std::string& entryName);

} // namespace tarn::platform::portable
