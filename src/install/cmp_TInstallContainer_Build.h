// Building archives from the install tree: the messages of a build and the record that
// describes one install file in the net file list ("filelist.lst").
#pragma once

#include <cstddef>
#include <string_view>

namespace tarn {
class TStream;
}

namespace tarn::install {

class TCustomInstallFile;

inline constexpr std::string_view SBothForceOptions =
    "Cannot pass both coForceNetFilesLocal and coForceFilesNet to Compress";
inline constexpr std::string_view SCannotDeleteArchive = "%s cannot delete the archive file %s";
// The net file list finds a file by its name: a cut name could match another file's.
inline constexpr std::string_view SNameTooLong =
    "The install file %s cannot be built: its name has %d characters and the net file list "
    "holds at most %d";

inline constexpr std::size_t kNetListRecordSize = 80;
inline constexpr std::size_t kNetListNameLength = 39;
inline constexpr std::size_t kNetListVersionLength = 20;

// IECustomInstallFile SNameTooLong when the file's name does not fit its record.
void RequireNetListName(const TCustomInstallFile& file);

// Little-endian: FileSize (32 bits), 4 zero bytes, FileDate (a double), Name (40 bytes) and
// Version (24 bytes), both zero-terminated; written in one piece.
void WriteNetListRecord(const TCustomInstallFile& file, TStream& stream);

} // namespace tarn::install
