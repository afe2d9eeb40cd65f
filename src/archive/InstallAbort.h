// The process-wide "creating install aborted" flag: the install driver sets it to stop long
// copies, which then fail with EUserAbortInstall "Creating Install Aborted!".
#pragma once

namespace tarn::archive {

inline bool InstallAborted = false;

} // namespace tarn::archive
