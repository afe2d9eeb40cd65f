// cmp_TTarnCompress: the component that adds files to an archive, lists, extracts, splits an
// archive onto a set of volumes and copies files without compression, reporting progress and
// asking for disks through its events.
//
//     auto compress = std::make_unique<TTarnCompress>(nullptr);
//     compress->SetCompressedFile("C:\\BUILD\\FILES.ARC");
//     compress->FilesToProcess().Add("C:\\SRC\\APP.EXE");
//     compress->AddFiles(false, 7);                 // members numbered 1.., FileId 7
//     compress->FilesToProcess().Add("C:\\SRC\\APP.EXE");
//     compress->SetExtractDirectory("C:\\PROGRAM FILES\\APP");
//     compress->ExtractFiles();
//
// Operations run on the caller's thread and let the user interface handle its messages at every
// progress step; an event handler may set Abort, which stops the operation at its next step.
#pragma once

#include "archive/CompressionStream.h"
#include "archive/FileHeaders.h"
#include "archive/FileStats.h"
#include "framework/Component.h"
#include "framework/StringList.h"
#include "version/cmp_TVersion.h"

#include <array>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace tarn {
class TFileStream;
}

namespace tarn::archive {

class TTarnCompress;

using TNotifyEvent = std::function<void(TTarnCompress& sender)>;
using TlzhFileStatsEvent =
    std::function<void(TTarnCompress& sender, const TlzhFileStats& fileStats)>;
// path: the folder where volume diskNumber is expected; the handler may change it.
using TlzhNewDiskEvent =
    std::function<void(TTarnCompress& sender, int diskNumber, std::string& path)>;

class TTarnCompress : public TComponent {
public:
    explicit TTarnCompress(TComponent* owner);
    ~TTarnCompress() override;

    // Properties.
    bool Abort() const { return abort_; }
    void SetAbort(bool abort) { abort_ = abort; }
    const std::string& CompressedFile() const { return compressedFile_; }
    // Another archive (not merely another volume of the same set) drops the loaded table.
    void SetCompressedFile(const std::string& fileName);
    TCompressionLevel CompressionLevel() const { return compressionLevel_; }
    void SetCompressionLevel(TCompressionLevel level) { compressionLevel_ = level; }
    const std::string& ExtractDirectory() const { return extractDirectory_; }
    void SetExtractDirectory(const std::string& folder) { extractDirectory_ = folder; }
    TStringList& FilesToProcess() { return filesToProcess_; }
    // Deletes the blank lines from files (the caller's list), then copies it.
    void SetFilesToProcess(TStringList& files);
    std::int32_t Offset() const { return offset_; }
    void SetOffset(std::int32_t offset) { offset_ = offset; }
    version::TOverwriteType Overwrite() const { return overwrite_; }
    void SetOverwrite(version::TOverwriteType rule) { overwrite_ = rule; }
    // The name the next extracted member gets (its file-name part); blank: the member's own.
    const std::string& TargetName() const { return targetName_; }
    void SetTargetName(const std::string& name) { targetName_ = name; }
    // Set by a handler of OnBeforeExtracting or OnReplace, the current member is not written
    // (nor copied); cleared before each member.
    bool Skip() const { return skip_; }
    void SetSkip(bool skip) { skip_ = skip; }

    // Events.
    TNotifyEvent OnAborted;               // once, when an operation stopped through Abort
    TlzhFileStatsEvent OnAfterAdding;     // after each member has been added
    TlzhFileStatsEvent OnBeforeAdding;    // before each member is compressed
    TlzhFileStatsEvent OnAfterExtracting; // after each member has been written
    TlzhFileStatsEvent OnBeforeExtracting;
    TNotifyEvent OnFullDisk; // a write of extracted or copied data came short
    TlzhFileStatsEvent OnListing;
    TlzhNewDiskEvent OnNewDisk; // the next volume is needed
    TlzhFileStatsEvent OnReplace;
    TlzhFileStatsEvent OnStatus;

    // Operations. Failures throw ETarnCompress (EtcDiskFull, EtcAborted) with the texts of
    // ArchiveMessages.h.
    int FileCount();
    TlzhFileStats GetFileStats(int index);
    // The member carrying id (0 .. 1999); 0 for any other id or when none does.
    int IndexOfFileId(int id);
    void ListFiles();
    // Leaves either the archive as it was or the archive with every file added, whatever stops
    // it: appending writes the new members past the old ones and counts them last, a new archive
    // is written beside the old one and moved over it when complete.
    void AddFiles(bool append, std::int32_t fileId);
    void ExtractFiles();
    // Extracts the members at these 0-based positions, in this order, as ExtractFiles does with
    // names. A position picks one of several members of the same name (the newest is the last).
    void ExtractMembers(const std::vector<int>& positions);
    void SplitToDisks(std::string destDirectory, const std::string& volumeFileName);
    void CopyUncompressed(const std::string& source, const std::string& dest);

    // The header table as last read or written.
    const TFileHeaders& FileHeaders() const { return headers_; }
    bool TableLoaded() const { return loaded_; }

private:
    enum TOperationMode { omNone, omAdding, omExtracting };

    // The table and the status record.
    void LoadTable();
    void NeedTable();
    void FillMemberStatus(const TFileHeaderRecord& header);
    void Status();
    void CheckAbort() const;
    static void Pump();
    void DiskFull();
    // Runs an operation: EtcAborted ends it quietly with OnAborted, any other error sets Abort
    // and passes on; streams are closed either way.
    void Run(const std::function<void()>& operation, bool abortOnError);
    void CloseStreams();
    // Opens volume n (the archive itself outside a volume set), asking OnNewDisk for it.
    void OpenVolume(std::unique_ptr<TFileStream>& stream, int n, unsigned mode, std::string& path);

    // Adding.
    void RefuseAddingToItself() const;
    void AppendInPlace(std::int32_t fileId);
    void WriteAnew(std::int32_t fileId);
    void AddMembers(std::int32_t fileId);
    void AddMember(TFileHeader& header, int position, std::int32_t fileId);
    void AddStatus(bool final);
    // Extracting.
    void ExtractMember(int index);
    void WriteMember(const TFileHeaderRecord& header, const std::string& target);
    void InflateMember(const TFileHeaderRecord& header);
    std::string TargetPath() const;
    // Splitting.
    void SplitMember(TFileHeaderRecord& header, std::string& destDirectory,
                     const std::string& volumeFileName, std::unique_ptr<TFileStream>& volume);
    // Copying.
    void CopyFile(const std::string& source, const std::string& dest);

    bool abort_ = false;
    std::string compressedFile_;
    TCompressionLevel compressionLevel_ = colMax;
    std::string extractDirectory_;
    TStringList filesToProcess_;
    std::int32_t offset_ = 0;
    version::TOverwriteType overwrite_ = version::owAlways;
    std::string targetName_;
    bool skip_ = false;

    TFileHeaders headers_;
    bool loaded_ = false;
    TOperationMode mode_ = omNone;
    TlzhFileStats stats_;
    int currentVolume_ = 0;
    std::unique_ptr<TFileStream> archive_; // the archive or volume being read or written
    std::unique_ptr<TFileStream> file_;    // the source or target file
    std::array<int, kIndexedFileIds> index_{};
};

} // namespace tarn::archive
