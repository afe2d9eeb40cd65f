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

// The record already lists path (a run repeated after an interruption lists it once).
bool Listed(const std::string& recordKey, const std::string& path) {
    for (int k = 0; k < kRecordKeyLimit; ++k) {
        TtarnRegistry files;
        files.SetRootKey(platform::HKEY_LOCAL_MACHINE);
        if (!files.OpenKey(recordKey + "Files" + (k > 0 ? std::to_string(k) : std::string()),
                           false))
            return false;
        TStringList names;
        files.GetValueNames(names);
        for (int i = 0; i < names.Count(); ++i) {
            if (SameTextAscii(names.Strings(i), "Entries")) continue;
            try {
                if (SameTextAscii(files.ReadString(names.Strings(i)), path)) return true;
            } catch (const std::exception&) {
            }
        }
    }
    return false;
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
    if (!Listed(key, target)) RecordFileForUninstall(key, target);
    WriteRegistryString(rcLocalMachine, record, "DisplayName", ProductName());
    WriteRegistryString(rcLocalMachine, record, "UninstallString",
                        "\"" + target + "\" " + ProductName());
    WriteRegistryString(rcLocalMachine, record, "DisplayVersion", information_.Version);
    WriteRegistryString(rcLocalMachine, record, "Publisher", information_.CompanyName);
    WriteRegistryString(rcLocalMachine, record, "InstallLocation", mainFolder);
    if (Progress) Progress->Action("listed for uninstall", record);
}

} // namespace tarn::install
