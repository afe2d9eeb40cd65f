#include "paths/StoredSpecifiers.h"

#include "paths/StandardSpecifiers.h"

namespace tarn::paths {

namespace {

template <class T> void Standard(TClassRegistry& registry) {
    registry.RegisterClass<T>(std::string(T::kClassName), "TStandardPathSpecifier").ReuseExisting();
}

} // namespace

void RegisterPathSpecifierClasses(TClassRegistry& registry) {
    registry.RegisterClass<TCustomPathSpecifier>("TCustomPathSpecifier");
    registry.RegisterClass<TStandardPathSpecifier>("TStandardPathSpecifier",
                                                   "TCustomPathSpecifier");
    Standard<TpsBDEDLL>(registry);
    Standard<TpsCommonFiles>(registry);
    Standard<TpsContainerArchiveFile>(registry);
    Standard<TpsContainerDestDir>(registry);
    Standard<TpsDesktopMenu>(registry);
    Standard<TpsInstallSource>(registry);
    Standard<TpsMainInstall>(registry);
    Standard<TpsProgramFiles>(registry);
    Standard<TpsProgramMenu>(registry);
    Standard<TpsProgramMenuAllUsers>(registry);
    Standard<TpsStartMenu>(registry);
    Standard<TpsStartupMenu>(registry);
    Standard<TpsSystem>(registry);
    Standard<TpsMainArchiveFile>(registry);
    Standard<TpsWindow>(registry);
}

} // namespace tarn::paths
