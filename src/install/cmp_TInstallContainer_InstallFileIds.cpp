// The process-wide table of install file identifiers.
#include "install/cmp_TInstallContainer.h"
#include "install/cmp_TInstallContainer_InstallFile.h"

#include <array>

namespace tarn::install {

namespace {

struct IdTable {
    std::array<bool, TInstallFileId::kCount> inUse{};
    bool initialised = false; // set by the first file loaded from a form
};

IdTable& Table() {
    static IdTable table;
    return table;
}

bool Valid(int id) {
    return id >= 0 && id < TInstallFileId::kCount;
}

} // namespace

TInstallFileId::TInstallFileId() {
    IdTable& table = Table();
    for (int id = 0; id < kCount; ++id)
        if (!table.inUse[static_cast<std::size_t>(id)]) {
            table.inUse[static_cast<std::size_t>(id)] = true;
            id_ = id;
            return;
        }
    throw IECustomInstallFile(SIdLimit);
}

TInstallFileId::~TInstallFileId() {
    if (Valid(id_)) Table().inUse[static_cast<std::size_t>(id_)] = false;
}

void TInstallFileId::Replace(int id) {
    IdTable& table = Table();
    // Freed at once: files loaded over and over would otherwise use the table up.
    if (Valid(id_)) table.inUse[static_cast<std::size_t>(id_)] = false;
    id_ = id;
    if (Valid(id_)) table.inUse[static_cast<std::size_t>(id_)] = true;
}

void TInstallFileId::Claim() {
    IdTable& table = Table();
    if (!table.initialised) {
        table.inUse.fill(false);
        table.initialised = true;
    }
    if (Valid(id_)) table.inUse[static_cast<std::size_t>(id_)] = true;
}

} // namespace tarn::install
