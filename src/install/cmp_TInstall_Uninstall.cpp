// A finished install is listed with Add/Remove Programs: the uninstall program beside the product
// and the values the list reads, under the product's uninstall record.
#include "archive/ArchivePaths.h"
#include "framework/TextCase.h"
#include "install/cmp_TInstall.h"
#include "platform/Platform.h"
#include "routines/cmp_TTarnRegistry.h"
#include "routines/routines_Registry.h"
#include "routines/routines_Text.h"

namespace tarn::install {

namespace {

bool IsFile(const std::string& path) {
    platform::DWORD attributes = 0;
    return platform::Files().GetAttributes(path, attributes) == platform::ERROR_SUCCESS &&
           (attributes & platform::FILE_ATTRIBUTE_DIRECTORY) == 0;
}

} // namespace

void TCustomInstall::ListForUninstall() {
    const std::string folder = IncludeBackslash(archive::ExtractFilePath(ProgramPath()));
    std::string source = folder + kUninstallProgram;
    if (!IsFile(source)) source = folder + "uninstall";
    if (!IsFile(source))
        throw IEInstall("The uninstall program %s was not found beside the install program",
                        folder + kUninstallProgram);
    const std::string mainFolder = ExcludeBackslash(GetDestination());
    if (!archive::ForceDirectories(mainFolder))
        throw IEInstall("Could not create the folder %s", mainFolder);
    const std::string target = mainFolder + "\\" + kUninstallProgram;
    if (const auto rc = platform::Files().CopyFile(source, target, false);
        rc != platform::ERROR_SUCCESS)
        throw IEInstall("Could not copy the uninstall program to %s: %s", target,
                        platform::System().ErrorText(rc));

    const std::string record = std::string(kUninstallKey) + ProductName();
    const std::string key = IncludeBackslash(record);
    RecordFileForUninstall(key, target);
    WriteRegistryString(rcLocalMachine, record, "DisplayName", ProductName());
    WriteRegistryString(rcLocalMachine, record, "UninstallString",
                        "\"" + target + "\" " + ProductName());
    WriteRegistryString(rcLocalMachine, record, "DisplayVersion", information_.Version);
    WriteRegistryString(rcLocalMachine, record, "Publisher", information_.CompanyName);
    WriteRegistryString(rcLocalMachine, record, "InstallLocation", mainFolder);
    if (Progress) Progress->Action("listed for uninstall", record);
}

} // namespace tarn::install
