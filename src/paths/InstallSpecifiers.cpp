// The specifiers of places the install component knows: the folder the install was run from, the
// main installation folder and the main archive file.
#include "paths/InstallTree.h"
#include "paths/StandardSpecifiers.h"
#include "routines/routines_Text.h"

namespace tarn::paths {

namespace {

std::string NameOf(TComponent* object) {
    return object ? object->Name() : std::string();
}

IInstallDriver& RequireDriver(TComponent* object) {
    IInstallDriver* driver = CurrentInstallDriver();
    if (!driver) throw IEPathSpecifier(SNoInstallComponent, NameOf(object));
    return *driver;
}

std::string Trimmed(const std::string& text) {
    std::size_t first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos) return "";
    return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

} // namespace

TpsInstallSource::TpsInstallSource(TComponent* owner)
    : TTextedPathSpecifier(owner, "psInstallSource", "Path from which the user ran the install",
                           "Install source") {}

void TpsInstallSource::CheckObject(TComponent* object) {
    RequireDriver(object);
}

std::string TpsInstallSource::ExpandPath(TComponent* object) {
    CheckObject(object);
    return ExcludeBackslash(RequireDriver(object).SourceDir());
}

TpsMainInstall::TpsMainInstall(TComponent* owner)
    : TTextedPathSpecifier(owner, "psMainInstall", "Main installation directory",
                           "Main install dir") {}

void TpsMainInstall::CheckObject(TComponent* object) {
    IInstallDriver& driver = RequireDriver(object);
    if (object == &driver.Node().NodeComponent()) throw IEPathSpecifier(SMainInstallOnInstall);
}

std::string TpsMainInstall::ExpandPath(TComponent* object) {
    CheckObject(object);
    return ExcludeBackslash(RequireDriver(object).Node().GetDestination());
}

TpsMainArchiveFile::TpsMainArchiveFile(TComponent* owner)
    : TTextedPathSpecifier(owner, "psMainArchiveFile",
                           "Archive containing most or all non-internet installation files",
                           "Main archive") {}

void TpsMainArchiveFile::CheckObject(TComponent* object) {
    RequireDriver(object);
}

std::string TpsMainArchiveFile::ExpandPath(TComponent* object) {
    CheckObject(object);
    IInstallDriver& driver = RequireDriver(object);
    // The source folder as psInstallSource gives it: a source at the root of a drive ("A:\")
    // must not give "A:\\files.1".
    const std::string source = ExcludeBackslash(driver.SourceDir());
    std::string exeName;
    if (driver.SelfExtracting(exeName)) {
        if (Trimmed(exeName).empty()) throw IEInstall(SNoSelfExtractName);
        return source + "\\" + exeName;
    }
    if (!Trimmed(ArchiveFolder).empty()) return ExcludeBackslash(ArchiveFolder) + "\\files.1";
    return source + "\\files.1";
}

} // namespace tarn::paths
