// Work for the next restart of Windows that goes through WININIT.INI or the delayed-move list.
#pragma once

#include <string>

namespace tarn {

// Has the file deleted at the next restart: a "Nul=" line in WININIT.INI's [RENAME] section on
// the Windows 95 family, the system's delayed delete elsewhere. Silent.
void DeleteFileOnReboot(const std::string& path);

} // namespace tarn
