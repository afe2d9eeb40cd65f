// The registry record of install runs (one per setup program, matched by size and date), its
// removal, and the removal of the temporary copy the loading program started.
#include "archive/ArchivePaths.h"
#include "framework/Application.h"
#include "framework/StringList.h"
#include "framework/TextCase.h"
#include "install/cmp_TInstall.h"
#include "platform/Platform.h"
#include "routines/cmp_TTarnRegistry.h"
#include "routines/routines_API.h"
#include "routines/routines_Registry.h"
#include "routines/routines_Text.h"

#include <chrono>
#include <cmath>
#include <cstdlib>

namespace tarn::install {

namespace {

constexpr double kSameDate = 0.0000001; // of a day
// 1899-12-30, the day count's zero, in FILETIME ticks.
constexpr double kDayCountEpochTicks = 94353120000000000.0;
constexpr double kTicksPerDay = 864000000000.0;

double DayCountOf(platform::FILETIME utc) {
    const platform::FILETIME local = platform::Files().ToLocalFileTime(utc);
    return (static_cast<double>(local) - kDayCountEpochTicks) / kTicksPerDay;
}

// Size and last write of a file; false when it cannot be found.
bool FileSizeAndDate(const std::string& path, std::int64_t& size, double& date) {
    platform::HANDLE find = 0;
    platform::FindData data;
    if (platform::Files().FindFirst(path, find, data) != platform::ERROR_SUCCESS) return false;
    platform::Files().FindClose(find);
    size = static_cast<std::int64_t>(data.size);
    date = DayCountOf(data.lastWriteTime);
    return true;
}

std::string FolderOf(const std::string& path) {
    return ExcludeBackslash(archive::ExtractFilePath(path));
}

} // namespace

double NowAsDayCount() {
    using namespace std::chrono;
    // FILETIME counts 100 ns from 1601, 11,644,473,600 s before the Unix epoch.
    const auto since1970 = duration_cast<nanoseconds>(system_clock::now().time_since_epoch());
    const auto ticks = static_cast<platform::FILETIME>(since1970.count() / 100) +
                       platform::FILETIME{116444736000000000ULL};
    return DayCountOf(ticks);
}

std::string TCustomInstall::ProgramPath() const {
    return Application().ModuleFileName();
}

std::string TCustomInstall::SetupProgramPath() const {
    if (Application().InsideLibrary()) return Application().ModuleName;
    if (HasSwitch(swSelfExtract)) return const_cast<TCustomInstall*>(this)->GetArchiveFile();
    if (useLoadingProgram_) {
        const auto& params = Application().Params;
        return sourceFolder_ + "\\" + (params.size() >= 2 ? params[1] : std::string());
    }
    return Application().ExeName;
}

std::string TCustomInstall::FindInstallRecord(bool create) {
    const std::string program = ProgramPath();
    std::int64_t size = 0;
    double date = 0;
    if (!FileSizeAndDate(program, size, date)) return "";

    TtarnRegistry runs;
    runs.SetRootKey(platform::HKEY_LOCAL_MACHINE);
    // A lookup alone leaves no trace on a machine that never ran a setup.
    if (!runs.OpenKey(kInstallRunsKey, create)) return "";
    TStringList names;
    runs.GetKeyNames(names);
    runs.CloseKey();

    for (int i = 0; i < names.Count(); ++i) {
        const std::string key = std::string(kInstallRunsKey) + "\\" + names.Strings(i);
        TtarnRegistry record;
        record.SetRootKey(platform::HKEY_LOCAL_MACHINE);
        record.SetLazyWrite(false);
        if (!record.OpenKey(key, false)) continue;
        double created = 0;
        std::int32_t recordedSize = 0;
        try {
            record.ReadString("Path");
            created = record.ReadFloat("CreationDate");
            recordedSize = record.ReadInteger("Size");
        } catch (const std::exception&) {
            continue;
        }
        if (std::fabs(date - created) >= kSameDate || recordedSize != size) continue;
        try {
            record.WriteFloat("LastRunDate", InstallStartTime);
            record.WriteString("Path", program);
        } catch (const std::exception&) {
            return "";
        }
        return key;
    }
    if (!create) return "";

    std::string name;
    for (int n = 0;; ++n) {
        name = "Install" + std::to_string(n);
        bool taken = false;
        for (int i = 0; i < names.Count() && !taken; ++i)
            taken = SameTextAscii(names.Strings(i), name);
        if (!taken) break;
    }
    const std::string key = std::string(kInstallRunsKey) + "\\" + name;
    TtarnRegistry record;
    record.SetRootKey(platform::HKEY_LOCAL_MACHINE);
    record.SetLazyWrite(false);
    if (!record.OpenKey(key, true)) return "";
    try {
        record.WriteString("Path", program);
        record.WriteFloat("LastRunDate", InstallStartTime);
        record.WriteFloat("CreationDate", date);
        record.WriteInteger("Size", static_cast<std::int32_t>(size));
        if (HasSwitch(swSelfExtract))
            record.WriteString("SelfExtract", IncludeBackslash(SwitchValue(swSource)) +
                                                  SwitchValue(swSelfExtract));
    } catch (const std::exception&) {
        return "";
    }
    return key;
}

void TCustomInstall::RemoveInstallRecord() {
    if (InstallRecordKey.empty()) return;
    {
        TtarnRegistry record;
        record.SetRootKey(platform::HKEY_LOCAL_MACHINE);
        if (record.OpenKey(InstallRecordKey, false)) {
            TStringList subkeys;
            record.GetKeyNames(subkeys);
            record.CloseKey();
            for (int i = 0; i < subkeys.Count(); ++i) {
                const std::string key = InstallRecordKey + "\\" + subkeys.Strings(i);
                std::string local;
                ReadRegistryString(rcLocalMachine, key, "LocalFile", local, "");
                if (const std::string file = archive::TrimBlanks(local); !file.empty())
                    platform::Files().DeleteFile(file);
                DeleteRegistryKeyTree(rcLocalMachine, key);
            }
        }
    }
    DeleteRegistryKeyTree(rcLocalMachine, InstallRecordKey);
    for (const char* key : {kInstallRunsKey, kTarnwellKey}) {
        TtarnRegistry parent;
        parent.SetRootKey(platform::HKEY_LOCAL_MACHINE);
        if (!parent.OpenKey(key, false)) return;
        const bool empty = !parent.HasSubKeys();
        parent.CloseKey();
        if (!empty) return;
        DeleteRegistryKeyTree(rcLocalMachine, key);
    }
}

void TCustomInstall::CleanupTemporaryCopy() {
    if (!useLoadingProgram_ || !HasSwitch(swCleanup) || HasSwitch(swDebug) ||
        ComponentState().Contains(csDesigning))
        return;
    const std::string program = ProgramPath();
    const std::string folder = FolderOf(program);
    // A -c given to a program that does not run from a copy below the temporary folder would
    // otherwise empty a real folder.
    std::string temp;
    platform::System().GetTempPath(temp);
    temp = ExcludeBackslash(temp);
    const bool inTemp = !temp.empty() && folder.size() > temp.size() + 1 &&
                        SameTextAscii(folder.substr(0, temp.size() + 1), temp + "\\");
    if (!inTemp) {
        if (Progress)
            Progress->Action("not removed (not a temporary copy below " + temp + ")", folder);
        return;
    }
    bool allow = true;
    if (OnQueryCleanup) OnQueryCleanup(*this, allow);
    if (!allow) return;

    std::vector<std::string> entries;
    platform::HANDLE find = 0;
    platform::FindData data;
    if (platform::Files().FindFirst(folder + "\\*.*", find, data) == platform::ERROR_SUCCESS) {
        do {
            if (data.name != "." && data.name != "..") entries.push_back(data.name);
        } while (platform::Files().FindNext(find, data) == platform::ERROR_SUCCESS);
        platform::Files().FindClose(find);
    }
    for (const std::string& name : entries)
        if (!SameTextAscii(folder + "\\" + name, program))
            platform::Files().DeleteFile(folder + "\\" + name);
    platform::Files().RemoveDirectory(folder);
    if (Application().InsideLibrary()) return;

    const std::string made = CreateTempFileName(false);
    cleanupBatch_ = archive::ChangeFileExt(made, ".bat");
    TStringList lines;
    lines.Add("ERASE " + program);
    lines.Add("DELTREE /Y " + folder);
    lines.Add("ERASE " + archive::ChangeFileExt(cleanupBatch_, ".PIF"));
    lines.Add("ERASE " + cleanupBatch_);
    lines.SaveToFile(cleanupBatch_);
    cleanupPending_ = true;
}

} // namespace tarn::install
