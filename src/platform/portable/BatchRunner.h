// Batch files on the embedded machine. There is no command interpreter to hand them to, so the
// few commands the batch files of installs hold are carried out here, as cmd.exe (and before it
// COMMAND.COM) does them: ERASE/DEL, DELTREE /Y, MOVE, and REM, ECHO, CLS, EXIT and labels.
// Everything else, and whatever would ask the user something, is refused line by line. Machine
// paths are reached only through the file system service, so that its drives, 8.3 names and the
// read-only host drive hold for batch files as for programs.
#pragma once

#include "platform/FileSystem.h"

#include <string>
#include <vector>

namespace tarn::platform::portable {

struct BatchResult {
    // 1 when a line failed or was refused, else 0; EXIT n gives n.
    DWORD exitCode = 0;
    // What went wrong, and what was noted without failing (a file to delete that is not there).
    std::vector<std::string> messages;
    // Of the messages, those that only note what was not there (a file to delete).
    std::vector<std::string> notes;
};

// Whether a Windows path names a batch file: ".bat" or ".cmd" in any case.
bool IsBatchFile(const std::string& windowsPath);

// Reads the whole batch file first (a batch may delete itself) and runs its lines to the end.
// arguments are %1..%9; %0 is the batch path. Relative paths are taken against
// currentDirectory, or the file system's current folder when it is empty.
BatchResult RunBatch(IFileSystem& files, const std::string& batchPath,
                     const std::vector<std::string>& arguments = {},
                     const std::string& currentDirectory = {});

} // namespace tarn::platform::portable
