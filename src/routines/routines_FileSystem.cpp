#include "routines/routines_FileSystem.h"

#include "platform/Platform.h"
#include "routines/routines_Exceptions.h"

namespace tarn {

using namespace tarn::platform;

namespace {

WORD ShowCommand(TplShowMode mode) {
    switch (mode) {
    case smMaximized:
        return SW_SHOWMAXIMIZED;
    case smMinimized:
        return SW_SHOWMINIMIZED;
    case smHide:
        return SW_HIDE;
    default:
        return SW_SHOWNORMAL;
    }
}

const char* LaunchErrorText(std::int32_t code) {
    switch (code) {
    case 0:
    case 8:
        return "Out of memory";
    case 2:
        return "File not found";
    case 3:
        return "Path not found";
    case 5:
        return "Sharing violation";
    case 6:
        return "Library/Segment error";
    case 10:
        return "Incorrect version of windows";
    case 11:
        return "Invalid file";
    case 12:
    case 13:
        return "Invalid DOS version";
    case 14:
    case 31:
        return "File type has no association";
    case 15:
        return "Cannot load a Real-mode application";
    case 16:
        return "Invalid attempt to launch second instance";
    case 19:
        return "Cannot load a compressed executable file";
    case 20:
        return "Invalid dynamic link library";
    case 21:
        return "Application requires Win32";
    default:
        return "Unknown error";
    }
}

} // namespace

std::int32_t LaunchErrorCodeOf(std::uint32_t systemError) {
    switch (systemError) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_INVALID_NAME:
        return 2;
    case ERROR_PATH_NOT_FOUND:
    case ERROR_DIRECTORY_INVALID:
    case ERROR_INVALID_DRIVE:
        return 3;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
        return 5;
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY:
        return 8;
    case ERROR_BAD_FORMAT:
    case ERROR_BAD_EXE_FORMAT:
        return 11;
    case ERROR_MOD_NOT_FOUND:
    case ERROR_PROC_NOT_FOUND:
        return 20;
    default:
        return static_cast<std::int32_t>(systemError);
    }
}

void RaiseLaunchError(std::int32_t code) {
    throw EProgramLauncherFailed(LaunchErrorText(code), code);
}

void TProgramLauncher::Execute() {
    ProcessStart start;
    start.application = FileName;
    start.commandLine = Parameters;
    start.showWindow = ShowCommand(ShowMode);
    HANDLE process = 0;
    if (DWORD rc = Processes().CreateProcess(start, process); rc != ERROR_SUCCESS)
        RaiseLaunchError(LaunchErrorCodeOf(rc));
    Processes().WaitForInputIdle(process, INFINITE_WAIT);
    Processes().CloseProcess(process);
}

void SetFileAttributeSet(const std::string& path, TFileAttributeSet attributes) {
    static const std::pair<TFileAttribute, DWORD> map[] = {
        {faArchive, FILE_ATTRIBUTE_ARCHIVE}, {faDirectory, FILE_ATTRIBUTE_DIRECTORY},
        {faHidden, FILE_ATTRIBUTE_HIDDEN},   {faNormal, FILE_ATTRIBUTE_NORMAL},
        {faOffline, FILE_ATTRIBUTE_OFFLINE}, {faReadOnly, FILE_ATTRIBUTE_READONLY},
        {faSystem, FILE_ATTRIBUTE_SYSTEM},   {faTemporary, FILE_ATTRIBUTE_TEMPORARY}};
    DWORD mask = 0;
    for (const auto& [flag, attribute] : map)
        if (attributes.Contains(flag)) mask |= attribute;
    if (DWORD rc = Files().SetAttributes(path, mask); rc != ERROR_SUCCESS)
        throw IEfcSetAttributes("Cannot set file attributes. Error : %s", System().ErrorText(rc));
}

void GetFileAttributeSet(const std::string& path, TFileAttributeSet& attributes, const void*) {
    HANDLE file = 0;
    if (Files().CreateFile(path, GENERIC_READ, 0, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, file) !=
        ERROR_SUCCESS)
        return;
    DWORD attrs = 0;
    if (Files().GetAttributes(path, attrs) == ERROR_SUCCESS)
        attributes =
            (attrs & FILE_ATTRIBUTE_READONLY) ? TFileAttributeSet{faReadOnly} : TFileAttributeSet{};
    Files().CloseFile(file);
}

} // namespace tarn
