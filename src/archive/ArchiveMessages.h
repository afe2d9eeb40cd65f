// The texts of the archive errors, as callers and users see them.
#pragma once

#include <string_view>

namespace tarn::archive {

inline constexpr std::string_view SInvalidHeaderIndex =
    "%d is an invalid TFileHeader index in TFileHeaders.GetFileHeaders";
inline constexpr std::string_view SInvalidHeader = "Tried to add an invalid file header";
inline constexpr std::string_view SCannotOpenFile = "Cannot open the file %s";
inline constexpr std::string_view SCannotReadHeaderCount =
    "Could not read the file header count for the compressed file";
inline constexpr std::string_view SCannotReadHeaders =
    "Could not read the file headers for the compressed file. The Archive file could possible be "
    "corrupt";
inline constexpr std::string_view SCannotWriteHeaders =
    "Could not write the file headers for the compressed file";
inline constexpr std::string_view SCannotOpenCompressed = "Cannot open the compressed file %s";
inline constexpr std::string_view SCannotCreateFile = "Cannot create the file %s";
inline constexpr std::string_view SNotInArchive = "The file <%s> was not found in the archive <%s>";
inline constexpr std::string_view SCompareFailed = "Error comparing file versions in TTarnCompress";
inline constexpr std::string_view SSizeMismatch =
    "The decompressed file's size does not match with the actual size of the file.  The file is %s";
inline constexpr std::string_view SCannotSetDate =
    "Cannot set the date of the file just extracted.";
inline constexpr std::string_view SAborted = "Operation aborted by user";
inline constexpr std::string_view SDiskFull = "The disk is full";
inline constexpr std::string_view SNoNewDiskHandler =
    "There was no event handler for the OnNewDisk event, therefore no new disk could be inserted";
inline constexpr std::string_view STooLittleSpace =
    "There is too little space on this disk to operate";
inline constexpr std::string_view SWrongDisk = "Could not open the correct disk file %d";
inline constexpr std::string_view SNilDestFile = "AddStatus has Nil DestFile";
inline constexpr std::string_view SFileNotDefined =
    "Tried to access the %dth file. This file is not defined";
inline constexpr std::string_view SCreatingInstallAborted = "Creating Install Aborted!";

// Limits of the format the engine enforces rather than writing a damaged archive.
inline constexpr std::string_view SVolumeSetAppend =
    "Files cannot be appended to %s: it is the first volume of a volume set";
inline constexpr std::string_view SFileTooLarge =
    "The file %s is too large for an archive (2 GiB or more)";
inline constexpr std::string_view SArchiveTooLarge = "The archive %s would grow to 2 GiB or more";
inline constexpr std::string_view STooManyVolumes =
    "A volume set cannot have more than 255 volumes";
inline constexpr std::string_view SVolumeSetSplit =
    "%s is the first volume of a volume set: only a single-file archive can be split";
inline constexpr std::string_view SAddedToItself = "The archive %s cannot be added to itself";
inline constexpr std::string_view STrailingBytes =
    "Files cannot be appended to %s: %d bytes after its last member are not part of the archive";
inline constexpr std::string_view SIncompleteMember =
    "Files cannot be appended to %s: its last member is incomplete";

} // namespace tarn::archive
