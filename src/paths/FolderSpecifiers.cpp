// The specifiers of well-known Windows folders and the database engine's DLL folder.
#include "paths/StandardSpecifiers.h"
#include "paths/routines_ExpandPaths.h"
#include "routines/routines_API.h"
#include "routines/routines_Registry.h"
#include "routines/routines_Text.h"

namespace tarn::paths {

TpsBDEDLL::TpsBDEDLL(TComponent* owner)
    : TTextedPathSpecifier(owner, "psBDEDLL", "Borland Database Engine DLL Path", "BDE DLL") {}

std::string TpsBDEDLL::ExpandPath(TComponent*) {
    std::string path;
    ReadRegistryString(4, "\\Software\\Borland\\Database Engine", "DLLPath", path, "");
    if (path.empty()) path = GetProgramFilesPath() + "\\Borland\\Common Files\\BDE";
    return path.substr(0, path.find(';'));
}

TpsCommonFiles::TpsCommonFiles(TComponent* owner)
    : TTextedPathSpecifier(owner, "psCommonFiles",
                           "Path of the common files directory under the program files directory",
                           "Common files") {}

std::string TpsCommonFiles::ExpandPath(TComponent*) {
    return ExcludeBackslash(GetCommonFilesPath());
}

TpsDesktopMenu::TpsDesktopMenu(TComponent* owner)
    : TTextedPathSpecifier(owner, "psDesktopMenu", "Path of the Desktop", "Desktop") {}

std::string TpsDesktopMenu::ExpandPath(TComponent*) {
    return ExcludeBackslash(GetDesktopPath());
}

TpsProgramFiles::TpsProgramFiles(TComponent* owner)
    : TTextedPathSpecifier(owner, "psProgramFiles", "Path of the program files directory",
                           "Program files") {}

std::string TpsProgramFiles::ExpandPath(TComponent*) {
    return ExcludeBackslash(GetProgramFilesPath());
}

TpsProgramMenu::TpsProgramMenu(TComponent* owner)
    : TTextedPathSpecifier(owner, "psProgramMenu",
                           "Path of the Programs folder under the Start Menu", "Program menu") {}

std::string TpsProgramMenu::ExpandPath(TComponent*) {
    return ExcludeBackslash(GetProgramMenuPath());
}

TpsProgramMenuAllUsers::TpsProgramMenuAllUsers(TComponent* owner)
    : TTextedPathSpecifier(owner, "psProgramMenuAllUsers",
                           "Path of the Programs folder under the Start Menu for all users",
                           "Program menu all") {}

std::string TpsProgramMenuAllUsers::ExpandPath(TComponent*) {
    return ExcludeBackslash(GetProgramMenuAllUsersPath());
}

TpsStartMenu::TpsStartMenu(TComponent* owner)
    : TTextedPathSpecifier(owner, "psStartMenu", "Path of Start Menu", "Start menu") {}

std::string TpsStartMenu::ExpandPath(TComponent*) {
    return ExcludeBackslash(GetStartMenuPath());
}

TpsStartupMenu::TpsStartupMenu(TComponent* owner)
    : TTextedPathSpecifier(owner, "psStartupMenu",
                           "Path of the Startup folder in the Programs folder under the Start Menu",
                           "Startup menu") {}

std::string TpsStartupMenu::ExpandPath(TComponent*) {
    return ExcludeBackslash(GetStartupPath());
}

TpsSystem::TpsSystem(TComponent* owner)
    : TTextedPathSpecifier(owner, "psSystem", "Path of system directory", "System dir") {}

std::string TpsSystem::ExpandPath(TComponent*) {
    return ExcludeBackslash(GetSystemDir());
}

TpsWindow::TpsWindow(TComponent* owner)
    : TTextedPathSpecifier(owner, "psWindow", "Path of the Windows directory", "Windows dir") {}

std::string TpsWindow::ExpandPath(TComponent*) {
    return ExcludeBackslash(GetWindowsDir());
}

} // namespace tarn::paths
