#include "platform/portable/FaultFileLocks.h"

#include "platform/portable/PathMapper.h"

namespace tarn::platform::portable {

FaultFileLocks::FaultFileLocks(const PathMapper& paths, const Faults& faults)
    : paths_(paths), faults_(faults) {}

bool FaultFileLocks::InUse(const std::string& windowsPath,
                           const std::filesystem::path& host) const {
    return Listed(faults_.busyFiles, windowsPath, host);
}

bool FaultFileLocks::Locked(const std::string& windowsPath,
                            const std::filesystem::path& host) const {
    return Listed(faults_.undeletableFiles, windowsPath, host);
}

bool FaultFileLocks::Listed(const std::vector<std::string>& list, const std::string& windowsPath,
                            const std::filesystem::path& host) const {
    for (const auto& entry : list) {
        if (SamePath(paths_.FullPath(entry), windowsPath, paths_.CodePage())) return true;
        auto entryHost = paths_.ToHost(entry);
        if (entryHost && *entryHost == host) return true;
    }
    return false;
}

} // namespace tarn::platform::portable
