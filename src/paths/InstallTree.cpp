#include "paths/InstallTree.h"

namespace tarn::paths {

namespace {
IInstallDriver* driver = nullptr;
}

IInstallDriver* CurrentInstallDriver() {
    return driver;
}

void SetCurrentInstallDriver(IInstallDriver* value) {
    driver = value;
}

} // namespace tarn::paths
