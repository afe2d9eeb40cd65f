// The process-wide lists and the registration of the standard classes.
#include "paths/StandardSpecifiers.h"

#include <memory>

namespace tarn::paths {

namespace {

struct Lists {
    int requests = 0;
    std::unique_ptr<TPathSpecifierList> instances;
    std::unique_ptr<TStandardPathSpecList> standard;
    std::unique_ptr<TPathSpecifierClassList> classes;
};

Lists& Unit() {
    static Lists lists;
    return lists;
}

} // namespace

TPathSpecifierList* PathSpecifierList() {
    return Unit().instances.get();
}

TStandardPathSpecList* StandardPathSpecList() {
    return Unit().standard.get();
}

TPathSpecifierClassList* PathSpecifierClassList() {
    return Unit().classes.get();
}

void InitializePathSpecifiers() {
    Lists& unit = Unit();
    if (unit.requests++ > 0) return;
    unit.instances = std::make_unique<TPathSpecifierList>();
    unit.standard = std::make_unique<TStandardPathSpecList>();
    unit.classes = std::make_unique<TPathSpecifierClassList>();
    for (TPathSpecifierClass c :
         {PathSpecifierClassOf<TpsBDEDLL>(), PathSpecifierClassOf<TpsCommonFiles>(),
          PathSpecifierClassOf<TpsContainerArchiveFile>(),
          PathSpecifierClassOf<TpsContainerDestDir>(), PathSpecifierClassOf<TpsDesktopMenu>(),
          PathSpecifierClassOf<TpsInstallSource>(), PathSpecifierClassOf<TpsMainInstall>(),
          PathSpecifierClassOf<TpsProgramFiles>(), PathSpecifierClassOf<TpsProgramMenu>(),
          PathSpecifierClassOf<TpsProgramMenuAllUsers>(), PathSpecifierClassOf<TpsStartMenu>(),
          PathSpecifierClassOf<TpsStartupMenu>(), PathSpecifierClassOf<TpsSystem>(),
          PathSpecifierClassOf<TpsMainArchiveFile>(), PathSpecifierClassOf<TpsWindow>()})
        unit.classes->Add(c);
}

void FinalizePathSpecifiers() {
    Lists& unit = Unit();
    if (unit.requests == 0 || --unit.requests > 0) return;
    unit.instances.reset();
    unit.standard.reset();
    unit.classes.reset();
}

} // namespace tarn::paths
