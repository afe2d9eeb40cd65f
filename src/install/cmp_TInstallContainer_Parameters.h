// The parameter objects that information events and notifications carry. The reporting node
// makes one for one report and frees it afterwards; receivers must not keep it.
#pragma once

#include "archive/FileStats.h"
#include "framework/Object.h"

#include <cstdint>
#include <string>

namespace tarn::install {

// Information events (sent up the tree).
enum : int {
    ieFileInstalled = 1001,
    ieBeforeInstall = 1002,
    ieBeforeReplace = 1003,
    ieBeforeCompress = 1004,
    ieCompressed = 1005,
    ieBeforeCopy = 1006,
    ieCopied = 1007,
    ieExtractStatus = 1008,
    ieCompressStatus = 1009,
    ieCopyStatus = 1010,
    ieNewDisk = 1011,
    ieOperationBegins = 1012,
    ieOperationEnds = 1013,
    ieDownloadStatus = 1014,
    ieInstallCancelled = 1015,
    ieNotCopied = 1016,
};

// Notifications (sent down to the helpers).
enum : int {
    nfNotice = -973,
    nfMessage = -974,
    nfDownloadStatus = -988,
    nfAfterInstall = -989,
    nfBeforeInstall = -990,
    nfBeforeHelpers = -992,
    nfNewDisk = -993,
    nfOperationEnds = -996,
    nfBeforeReplace = -997,
    nfFileStatus = -998,
    nfIncluded = -999,
};

class TDiskParameter : public TObject {
public:
    int DiskNumber = 0;
    std::string Path; // where the volume is looked for; receivers may change it
};

class TMessageParameter : public TObject {
public:
    std::string Message;
};

class TFileStatusParameter : public TObject {
public:
    std::int64_t FileBytesDone = 0;
    std::int32_t FilePercent = 0;
    std::string FileName;
    archive::TlzhFileStats Stats;
    std::int64_t TotalBytesDone = 0;
    std::int32_t TotalPercent = 0;
};

class TDownloadStatusParameter : public TObject {
public:
    std::int32_t Extra = 0;
    std::string FileName;
    std::int64_t DownloadSize = 0;
    std::int64_t DownloadedBytes = 0;
    std::int32_t Percent = 0;
};

// done as a percentage of total, rounded to the nearest integer with halves to even; 0 for a
// total of 0. Exact in 64-bit integers for any size an archive can have.
std::int32_t RoundedPercent(std::int64_t done, std::int64_t total);

} // namespace tarn::install
