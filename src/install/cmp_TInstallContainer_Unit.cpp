// The unit's global state: the lists of live nodes and files, the shared archive component and
// the install component of the process.
#include "archive/cmp_TTarnCompress.h"
#include "install/cmp_TInstallContainer.h"
#include "install/cmp_TInstallContainer_InstallFile.h"

#include <algorithm>

namespace tarn::install {

namespace {

struct UnitState {
    int requests = 0;
    std::unique_ptr<TInstallContainerList> containers;
    std::unique_ptr<TCustomInstallFileList> files;
    std::unique_ptr<TCustomInstallFileList> retries;
    std::unique_ptr<archive::TTarnCompress> compress;
    IInstallRunner* driver = nullptr;
};

UnitState& Unit() {
    static UnitState state;
    return state;
}

template <class T> void EraseFirst(std::vector<T*>& items, T* item) {
    auto it = std::find(items.begin(), items.end(), item);
    if (it != items.end()) items.erase(it);
}

} // namespace

void TInstallContainerList::Add(TInstallContainer* node) {
    if (!node) throw IEContainerList(SBlankContainerListEntry);
    items_.push_back(node);
}

void TInstallContainerList::Remove(TInstallContainer* node) {
    EraseFirst(items_, node);
}

void TCustomInstallFileList::Add(TCustomInstallFile* file) {
    if (!file) throw IECustomInstallFileList(SBlankFileListEntry);
    items_.push_back(file);
}

void TCustomInstallFileList::Remove(TCustomInstallFile* file) {
    EraseFirst(items_, file);
}

TInstallContainerList* InstallContainerList() {
    return Unit().containers.get();
}

TCustomInstallFileList* InstallFileList() {
    return Unit().files.get();
}

TCustomInstallFileList* RetryRegistrationList() {
    return Unit().retries.get();
}

archive::TTarnCompress& GlobalCompress() {
    UnitState& unit = Unit();
    // Outside the unit's lifetime (a node used before a program started the unit) one is made
    // on first use and kept until the unit finishes.
    if (!unit.compress) unit.compress = std::make_unique<archive::TTarnCompress>(nullptr);
    return *unit.compress;
}

IInstallRunner* GlobalInstallDriver() {
    return Unit().driver;
}

void SetGlobalInstallDriver(IInstallRunner* driver) {
    Unit().driver = driver;
}

void InitializeInstallContainers() {
    UnitState& unit = Unit();
    if (unit.requests++ > 0) return;
    ForgetRecordIndex();
    unit.containers = std::make_unique<TInstallContainerList>();
    unit.files = std::make_unique<TCustomInstallFileList>();
    unit.retries = std::make_unique<TCustomInstallFileList>();
    if (!unit.compress) unit.compress = std::make_unique<archive::TTarnCompress>(nullptr);
}

void FinalizeInstallContainers() {
    UnitState& unit = Unit();
    if (unit.requests == 0 || --unit.requests > 0) return;
    unit.files.reset();
    unit.retries.reset();
    unit.compress.reset();
    unit.containers.reset();
    InstallRecordKey.clear();
    ForgetRecordIndex();
}

std::int32_t RoundedPercent(std::int64_t done, std::int64_t total) {
    if (total == 0) return 0;
    if (total < 0) {
        total = -total;
        done = -done;
    }
    const bool negative = done < 0;
    const std::uint64_t magnitude =
        negative ? 0 - static_cast<std::uint64_t>(done) : static_cast<std::uint64_t>(done);
    // magnitude * 100 / total without overflow: whole part and remainder apart.
    const auto t = static_cast<std::uint64_t>(total);
    const std::uint64_t whole = magnitude / t;
    const std::uint64_t rest = magnitude % t;
    std::uint64_t q = whole * 100 + rest * 100 / t;
    const std::uint64_t r = rest * 100 % t;
    // rest < t, so rest * 100 only overflows for totals beyond 1.8e17 bytes: not an archive.
    if (2 * r > t || (2 * r == t && q % 2 == 1)) ++q;
    const auto result = static_cast<std::int64_t>(q);
    return static_cast<std::int32_t>(negative ? -result : result);
}

} // namespace tarn::install
