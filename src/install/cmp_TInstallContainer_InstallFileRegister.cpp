// Registering a self-registering component once it is installed, and completing a file that was
// put in place by a reboot.
#include "framework/FileExists.h"
#include "install/cmp_TInstallContainer.h"
#include "install/cmp_TInstallContainer_InstallFile.h"
#include "install/cmp_TInstallContainer_InstallFileText.h"
#include "platform/Platform.h"

namespace tarn::install {

namespace {

// The installed component, which must be there by now.
std::string InstalledPath(TCustomInstallFile& file) {
    const std::string path = file.FullDestination();
    if (Blank(file.GetDestination() + file.DestFileName()) || !FileExists(path))
        throw IECustomInstallFile(SBlankDestination, file.Name());
    return path;
}

} // namespace

void TCustomInstallFile::Register() {
    const std::string ext = UpperExtension(SourceFileName);
    if (ext == ".EXE")
        RegisterExecutable();
    else if (ext == ".TLB")
        RegisterTypeLibrary();
    else
        RegisterLibrary();
}

void TCustomInstallFile::RegisterLibrary() {
    const std::string path = InstalledPath(*this);
    platform::ILibraries& libraries = platform::Libraries();
    platform::HANDLE library = 0;
    if (const platform::DWORD error = libraries.LoadLibrary(path, library))
        throw IECustomInstallFile(SLoadLibraryFailed, path, path, Name(), static_cast<int>(error));
    struct Loaded {
        platform::ILibraries& libraries;
        platform::HANDLE library;
        ~Loaded() { libraries.FreeLibrary(library); }
    } loaded{libraries, library};
    const platform::EntryPoint entry = libraries.GetEntryPoint(library, "DllRegisterServer");
    if (!entry)
        throw IECustomInstallFile(SNoRegisterEntry, path, Name(),
                                  static_cast<int>(platform::ERROR_PROC_NOT_FOUND));
    if (const std::int32_t result = entry(); result != 0)
        throw IECustomInstallFile(SRegisterEntryFailed, path, static_cast<int>(result), Name());
}

void TCustomInstallFile::RegisterTypeLibrary() {
    const std::string path = InstalledPath(*this);
    throw IECustomInstallFile(SNoTypeLibraries, path, Name());
}

void TCustomInstallFile::RegisterExecutable() {
    TProgramLauncher launcher;
    launcher.FileName = InstalledPath(*this);
    launcher.Parameters = "/REGSERVER";
    launcher.ShowMode = smHide;
    launcher.Execute();
}

void TCustomInstallFile::CompleteAfterReboot() {
    if (RegisterActiveX()) Register();
    SetFileAttributeSet(FullDestination(), Attributes);
}

} // namespace tarn::install
