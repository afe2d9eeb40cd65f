// The loading program's steps, apart from its main so that the tests reach them: find setup.1
// through the trailer of setup.exe, extract it into a fresh folder below the machine's temporary
// folder, start the install application from there and wait for it.
#pragma once

#include "install/cmp_TInstall.h"

#include <cstdint>
#include <functional>
#include <iosfwd>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace tarn::loader {

// Exit statuses of the loader's own; otherwise it ends with the install application's status.
inline constexpr int lsNotStarted = 1; // setup.1 could not be extracted or its program started
inline constexpr int lsDamaged = 2; // a damaged or truncated setup.exe, or members that climb out

// A refusal with the exit status it ends the loader with.
class ELoaderRefusal : public std::runtime_error {
public:
    ELoaderRefusal(int status, const std::string& text)
        : std::runtime_error(text), status_(status) {}
    int Status() const { return status_; }

private:
    int status_;
};

// Why the trailer of a file of fileSize bytes does not describe it; empty when it does.
std::string CheckTrailer(const install::TSelfExtractTrailer& trailer, std::uint64_t fileSize);
// Reads the last 56 bytes of path and checks them. False with why when the file cannot be read
// (status lsNotStarted) or its trailer is damaged (lsDamaged).
bool ReadTrailerFrom(const std::string& path, install::TSelfExtractTrailer& trailer,
                     std::string& why, int& status);

// Where setup.1 lies: inside setup.exe from offset on, or as a file of its own beside it.
struct TSetupArchive {
    std::string setupExe;
    bool selfExtracting = false;
    std::string file;        // setup.exe itself or setup.1 beside it
    std::int32_t offset = 0; // of the archive's first byte in file
    std::int64_t size = 0;   // the archive's bytes, from offset on
};
// Throws ELoaderRefusal.
TSetupArchive FindSetupArchive(const std::string& setupExe);

// The name a member is extracted under: the file-name part of its build-machine path. None when
// the name is empty, climbs (a ".." anywhere), or its file-name part is no plain file name.
std::optional<std::string> MemberFileName(const std::string& memberName);

// The members written into a fresh folder; the first file is the install application.
struct TExtracted {
    std::string folder;
    std::vector<std::string> files;
};
// Checks every member before the first is written; on any failure removes what it wrote and
// throws ELoaderRefusal.
TExtracted ExtractSetupArchive(const TSetupArchive& setup);
// Deletes the files of an extraction folder and the folder.
void RemoveExtracted(const std::string& folder);

// The install application's parameters: -s the folder of setup.exe, -e its name when it is
// self-extracting, -c, then the loader's own parameters that begin with "*" (*TODISK as -f).
// Those that do not are left out and named in ignored.
std::vector<std::string> InstallParameters(const TSetupArchive& setup,
                                           const std::vector<std::string>& arguments,
                                           std::vector<std::string>* ignored = nullptr);
// The quoted program followed by the parameters, each quoted where it needs it.
std::string InstallCommandLine(const std::string& program,
                               const std::vector<std::string>& parameters);

// The whole run for the setup program at setupExe (a machine path). releaseMachine is called
// once the install application has started, before the wait: it opens the machine itself.
// Returns the exit status; messages go to err.
int RunLoader(const std::string& setupExe, const std::vector<std::string>& arguments,
              std::ostream& err, const std::function<void()>& releaseMachine);

} // namespace tarn::loader
