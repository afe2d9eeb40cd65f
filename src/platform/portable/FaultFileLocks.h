// The file locks of the injected faults: Faults::busyFiles are in use, Faults::undeletableFiles
// locked, whatever spelling of their path (long or short names, another case, drive Z:) a call
// uses.
#pragma once

#include "platform/portable/Faults.h"
#include "platform/portable/FileLocks.h"

namespace tarn::platform::portable {

class PathMapper;

class FaultFileLocks : public FileLocks {
public:
    // Both must outlive this object; the faults are read on every question.
    FaultFileLocks(const PathMapper& paths, const Faults& faults);

    bool InUse(const std::string& windowsPath, const std::filesystem::path& host) const override;
    bool Locked(const std::string& windowsPath, const std::filesystem::path& host) const override;

private:
    bool Listed(const std::vector<std::string>& list, const std::string& windowsPath,
                const std::filesystem::path& host) const;

    const PathMapper& paths_;
    const Faults& faults_;
};

} // namespace tarn::platform::portable
