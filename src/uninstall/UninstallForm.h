// TForm1: the uninstaller's logic. It takes the product name from the command line, and on Start
// runs the removal phases in their fixed order against the install record under
// HKEY_LOCAL_MACHINE, deletes the record and then its own program file. What it shows goes to a
// view; boxes go through the platform's user interface service.
#pragma once

#include "framework/Component.h"
#include "framework/StringList.h"
#include "uninstall/RecordedKeys.h"
#include "uninstall/UninstallView.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <unordered_set>
#include <vector>

namespace tarn {
class TtarnRegistry;
}

namespace tarn::uninstall {

class IniFileEdit;
class UninstallActions;

inline constexpr const char* kUninstallKey =
    "\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
inline constexpr const char* kSharedDllsKey =
    "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs";
inline constexpr const char* kEngineKey = "\\Software\\Borland\\Database Engine";
inline constexpr const char* kBlw32Key = "\\Software\\Borland\\BLW32";
inline constexpr const char* kBorlandKey = "\\Software\\Borland";

inline constexpr const char* SNoArguments =
    "Please remove this software from the Add/Remove Programs from the Control Panel";
inline constexpr const char* SConfirmFileDelete =
    "Uninstall has determined that the file %s is no longer used by an application. Is it o.k. "
    "to delete it?";
inline constexpr const char* SConfirmEngineDelete =
    "Uninstall has determined that the Borland Database Engine is no longer used by an "
    "application. Is it o.k. to delete it?";
inline constexpr const char* SRegistryKeysLeft =
    "Some or all of the registry keys could not could not be removed";
inline constexpr const char* SRemovedItself = " has finished removing itself";
inline constexpr const char* SRemovedAtReboot = " will be removed after you reboot your computer.";
inline constexpr const char* SUnableToWrite = "Unable to write to %s";

// How long the ActiveX phase waits for a server program started with /UNREGSERVER to end.
inline constexpr std::uint32_t kServerWaitMs = 60000;

enum class TUninstallState { usRefused, usReady, usRunning, usStopped, usFinished };

class TForm1 : public TComponent {
public:
    explicit TForm1(IUninstallView& view, TComponent* owner = nullptr);
    ~TForm1() override; // FormDestroy

    // Reads the arguments (already split by the command-line rules). Throws when there are none;
    // Start is disabled first.
    void FormCreate(const std::vector<std::string>& arguments);
    // Runs the whole removal; an exception that escapes a phase ends it there.
    void StartBtnClick(TComponent* sender);
    void CloseBtnClick(TComponent* sender);

    // FormCreate and StartBtnClick as the message loop runs them: an escaping failure is shown in
    // an error box. False when one was.
    bool Create(const std::vector<std::string>& arguments);
    bool Start();

    // The phases.
    void RemoveAliases();
    void RemoveActiveXComponents();
    void RemoveFiles();
    void RemoveIniEntries();
    void RemoveDatabaseEngine();
    void RemoveEmptyFolders();
    bool RemoveRegistryKeys();
    // Removes the recorded values of the listed keys and the keys left empty, deepest first;
    // frees the list's key information objects.
    bool DeleteRecordedKeys(TSortableStringList& list);

    bool ConfirmFileDelete(const std::string& path);
    void UnregisterLibrary(const std::string& path);
    void UnregisterServerExe(const std::string& path);
    void NoteFolder(const std::string& path);
    // The bar's position before the k-th of n values.
    static int ProgressPosition(int k, int n);

    const std::string& ProductName() const { return FProductName; }
    const std::string& RecordKey() const { return FRecordKey; }
    const TStringList& RemovedDirs() const { return *FRemovedDirs; }
    // Whether the product has an install record: under the key of this run, or under its name.
    bool RecordFound() const;
    TUninstallState State() const { return state_; }
    // The error box caption and the title of every box: the program file name without extension.
    std::string Title() const;

    // For the command-line tool. Every action taken (or, in a dry run, that would be taken) is
    // reported as one line. A dry run changes nothing: it reads the record and the machine and
    // reports; questions are reported and answered with DryRunAnswer. Both are read when the run
    // starts (and by FormCreate, for phases run on their own).
    std::function<void(const std::string&)> OnAction;
    bool DryRun = false;
    bool DryRunAnswer = false;
    // Whether the run ends by removing the running program's own file (the product's own
    // uninstaller does; a tool does not).
    bool RemoveOwnProgram = true;

private:
    void ShowError(const std::string& text);
    void Inform(const std::string& text);
    void Report(const std::string& line);
    void SetProgress(int k, int n);
    void RunPhase(TPhaseBox box, bool withProgress, const std::function<void()>& phase);

    // Lookup of a path in the shared-library counts: the short form first, then the path as
    // given. path becomes the name that was found; nullopt when absent under both.
    std::optional<std::int32_t> SharedCount(std::string& path);
    // Whether the shared-library key holds any count. A phase asks once: it only lowers or
    // deletes counts it found, so an empty key stays empty and every lookup can be spared.
    static bool SharedCountsRecorded();
    // The actions of a real run or, when DryRun is set, of a dry run.
    void ChooseActions();
    // One entry of the files phase: its shared count lowered, or the file deleted (after the
    // question when it has a count).
    void RemoveRecordedFile(std::string path);
    // One entry of the ActiveX phase ("path;kind").
    void RemoveRecordedServer(const std::string& data);
    // A recorded file: its folder noted and the file deleted when it exists.
    void DeleteRecordedFile(const std::string& path);
    // A key of HKEY_LOCAL_MACHINE with everything below it, when it exists.
    void DeleteRecordTree(const std::string& key);
    static bool RecordKeyExists(const std::string& key);
    // One recorded INI file: its recorded entries taken out, the file when that left it empty,
    // then its record.
    void RemoveIniFile(const std::string& recordKey, const std::string& fileName);
    void RemoveIniFileEntries(const std::string& recordKey, IniFileEdit& file);
    void RemoveIniSection(TtarnRegistry& sectionKey, const std::string& section, IniFileEdit& file);
    void ForgetEngineUses();
    // One recorded key: its recorded values deleted, then the key when nothing is left in it.
    void RemoveRecordedKey(TtarnRegistry& target, const std::string& path,
                           const std::string& recordPath, TtarnRegistry& record);
    static std::uint64_t FileSizeOf(const std::string& path, const std::string& shownAs);

    IUninstallView& view_;
    // Everything the phases change goes through these: carried out, or in a dry run reported.
    std::unique_ptr<UninstallActions> actions_;
    std::string FProductName;
    std::string FRecordKey;
    std::unique_ptr<TStringList> FRemovedDirs;
    std::unordered_set<std::string> removedDirSet_;
    TUninstallState state_ = TUninstallState::usReady;
    bool sharedCounts_ = true;
};

// The number of entries in the folder part of path, "." and ".." and blank names not counted.
int CountFolderEntries(const std::string& path);
// ANSI to the OEM code page.
std::string ToOem(const std::string& text);

} // namespace tarn::uninstall
