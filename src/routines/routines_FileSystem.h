// Starting other programs, and file attributes as a flag set.
#pragma once

#include "framework/Component.h"
#include "framework/Set.h"

#include <cstdint>
#include <string>

namespace tarn {

enum TplShowMode { smNormal, smMaximized, smMinimized, smHide };

// Starts FileName with Parameters as its entire command line and returns once the program is
// ready for input; it keeps running. Action, StartDir, Timeout and Wait are kept for callers
// but do not change the start.
class TProgramLauncher : public TComponent {
public:
    explicit TProgramLauncher(TComponent* owner = nullptr) : TComponent(owner) {}

    std::string Action = "Open";
    std::string FileName;
    std::string Parameters;
    TplShowMode ShowMode = smNormal;
    std::string StartDir;
    std::int32_t Timeout = -1;
    bool Wait = true;

    // Throws EProgramLauncherFailed when the program cannot be started.
    void Execute();
};

// Raises EProgramLauncherFailed with the text of the classic program-start error code.
[[noreturn]] void RaiseLaunchError(std::int32_t code);
// The program-start error code that describes a failed process creation's system error.
std::int32_t LaunchErrorCodeOf(std::uint32_t systemError);

enum TFileAttribute {
    faArchive,
    faIgnored, // bit 1 maps to no attribute
    faDirectory,
    faHidden,
    faNormal,
    faOffline,
    faReadOnly,
    faSystem,
    faTemporary,
};
using TFileAttributeSet = TSet<TFileAttribute>;

// Sets exactly the mapped attributes; throws IEfcSetAttributes with the system's error text.
void SetFileAttributeSet(const std::string& path, TFileAttributeSet attributes);
// Sets attributes to {faReadOnly} or {} for a file it can open; leaves it unchanged otherwise.
// The security description is accepted for callers that pass one; files here have none.
void GetFileAttributeSet(const std::string& path, TFileAttributeSet& attributes,
                         const void* security = nullptr);

} // namespace tarn
