// The net file list "filelist.lst": written beside the net archives by a net build, fetched from
// the net location before a net install, so that every file knows its size, date and version
// without its archive being downloaded.
#include "archive/ArchivePaths.h"
#include "archive/ScopeExit.h"
#include "framework/FileStream.h"
#include "framework/MemoryStream.h"
#include "framework/TextCase.h"
#include "install/cmp_TInstall.h"
#include "install/cmp_TInstallContainer_Build.h"
#include "install/cmp_TNetInstallLocation.h"
#include "platform/Platform.h"
#include "routines/routines_API.h"
#include "routines/routines_Text.h"

#include <bit>
#include <cstring>
#include <vector>

namespace tarn::install {

namespace {

constexpr std::string_view SRemoteListUnreadable = "Cannot read the remote list of files: %s";
constexpr std::string_view SFileListNotWritten = "Cannot write the net file list %s";
constexpr std::size_t kNameField = 40;
constexpr std::size_t kVersionField = 24;

std::uint64_t LittleEndianAt(const std::uint8_t* bytes, int count) {
    std::uint64_t value = 0;
    for (int i = 0; i < count; ++i)
        value |= static_cast<std::uint64_t>(bytes[i]) << (8 * i);
    return value;
}

// A zero-terminated text field; a field without its zero ends with the field.
std::string TextField(const std::uint8_t* bytes, std::size_t size) {
    const auto* text = reinterpret_cast<const char*>(bytes);
    return std::string(text, strnlen(text, size));
}

// The inverse of WriteNetListRecord.
struct NetListRecord {
    std::int32_t FileSize = 0;
    double FileDate = 0;
    std::string Name;
    std::string Version;
};

NetListRecord ReadNetListRecord(const std::uint8_t* record) {
    NetListRecord read;
    read.FileSize =
        static_cast<std::int32_t>(static_cast<std::uint32_t>(LittleEndianAt(record, 4)));
    read.FileDate = std::bit_cast<double>(LittleEndianAt(record + 8, 8));
    read.Name = TextField(record + 16, kNameField);
    read.Version = TextField(record + 56, kVersionField).substr(0, kNetListVersionLength);
    return read;
}

// The list of the last build stays until the new one is complete.
void WriteReplacing(const std::string& path, const TMemoryStream& content) {
    platform::IFileSystem& files = platform::Files();
    std::string temporary;
    if (files.GetTempFileName(archive::ExtractFilePath(path), "tws", 0, temporary) !=
        platform::ERROR_SUCCESS)
        throw IEInstall(SFileListNotWritten, path);
    bool placed = false;
    const archive::ScopeExit removeTemporary([&] {
        if (!placed) files.DeleteFile(temporary);
    });
    {
        TFileStream stream(temporary, fmCreate);
        content.SaveToStream(stream);
    }
    if (files.MoveFile(temporary, path, platform::MOVEFILE_REPLACE_EXISTING) !=
        platform::ERROR_SUCCESS)
        throw IEInstall(SFileListNotWritten, path);
    placed = true;
}

} // namespace

void TCustomInstall::WriteFileList() {
    const std::string folder =
        ExcludeBackslash(archive::ExtractFilePath(GetArchiveFile())) + "\\" + NetPath();
    archive::ForceDirectories(folder);
    TCustomInstallFileList* files = InstallFileList();
    std::vector<TCustomInstallFile*> built;
    for (int i = 0; i < files->Count(); ++i)
        if (files->Items(i)->CompressState == 1 || files->Items(i)->CompressState == 2)
            built.push_back(files->Items(i));
    TMemoryStream content;
    const auto count = static_cast<std::uint32_t>(built.size());
    const std::uint8_t countBytes[4] = {
        static_cast<std::uint8_t>(count), static_cast<std::uint8_t>(count >> 8),
        static_cast<std::uint8_t>(count >> 16), static_cast<std::uint8_t>(count >> 24)};
    content.WriteBuffer(countBytes, sizeof countBytes);
    for (TCustomInstallFile* file : built)
        WriteNetListRecord(*file, content);
    WriteReplacing(folder + "\\" + kFileListName, content);
}

void TCustomInstall::ReadFileList() {
    TCustomNetInstallLocation* location = FindNetLocation();
    if (!location) throw IEFileRel_NoNetLocation(SNoNetLocation, Name());
    const std::string temporary = CreateTempFileName(false);
    const archive::ScopeExit removeTemporary([&] { platform::Files().DeleteFile(temporary); });
    location->DownloadFile(kFileListName, temporary);
    if (NetInstallAborted) throw EAIUserAbort();

    // Every record is read before any is used: a list cut short changes no file.
    std::vector<NetListRecord> records;
    try {
        TFileStream stream(temporary, fmOpenRead | fmShareDenyWrite);
        std::uint8_t countBytes[4];
        if (stream.Read(countBytes, sizeof countBytes) < sizeof countBytes)
            throw IEInstall(SRemoteListUnreadable, temporary);
        const auto count =
            static_cast<std::int32_t>(static_cast<std::uint32_t>(LittleEndianAt(countBytes, 4)));
        if (count < 0) throw IEInstall(SRemoteListUnreadable, temporary);
        std::uint8_t record[kNetListRecordSize];
        for (std::int32_t i = 0; i < count; ++i) {
            if (stream.Read(record, sizeof record) < sizeof record)
                throw IEInstall(SRemoteListUnreadable, temporary);
            records.push_back(ReadNetListRecord(record));
        }
    } catch (const EStreamError&) {
        throw IEInstall(SRemoteListUnreadable, temporary);
    }

    TCustomInstallFileList* files = InstallFileList();
    for (const NetListRecord& record : records)
        for (int i = 0; i < files->Count(); ++i) {
            TCustomInstallFile* file = files->Items(i);
            if (!SameTextAscii(file->Name(), record.Name)) continue;
            file->FileSize = record.FileSize;
            file->FileDate = record.FileDate;
            file->Version = record.Version;
            break;
        }
}

} // namespace tarn::install
