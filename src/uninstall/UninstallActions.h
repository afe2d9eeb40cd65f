// The changes the uninstaller's phases make, apart from the decisions: one method per kind of
// change. The phases decide what is to go and in which order; an actions object carries each
// change out and reports what happened, or (in a dry run) reports what would happen and changes
// nothing. Every report is one line handed to the reporter; the wording belongs to the actions.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace tarn {
class TtarnRegistry;
class TStringList;
} // namespace tarn

namespace tarn::platform {
class IDatabaseEngine;
}

namespace tarn::uninstall {

class IniFileEdit;
class IUninstallView;

using ActionReporter = std::function<void(const std::string&)>;

// What became (or, in a dry run, would become) of a file the record names.
enum class FileFate {
    Missing,   // it is not there
    Protected, // the system would not let it go: left alone without trying
    Refused,   // its deletion was tried and refused
    Deleted,
};

// What became of the running program's own file.
enum class ProgramFate {
    Planned, // only reported: a dry run
    Deleted,
    AtRestart, // it goes at the next restart
};

class UninstallActions {
public:
    virtual ~UninstallActions() = default;

    // A question for the user; true for Yes.
    virtual bool Ask(const std::string& question) = 0;

    // Files and folders.
    // A file of the product known to be there.
    virtual void DeleteOwnedFile(const std::string& path) = 0;
    // A file the record names, which may be missing or held.
    virtual FileFate DeleteRecordedFile(const std::string& path) = 0;
    // A folder the run may have emptied; one that is not empty stays, unreported.
    virtual void RemoveFolder(const std::string& folder) = 0;
    virtual ProgramFate RemoveOwnProgram(const std::string& path) = 0;

    // Shared-library counts (name as found under the shared-library key).
    // The count lowered by one from count.
    virtual void LowerSharedCount(const std::string& name, std::int32_t count) = 0;
    virtual void DeleteSharedCount(const std::string& name) = 0;

    // ActiveX servers, given as existing files.
    virtual void UnregisterLibrary(const std::string& path) = 0;
    virtual void UnregisterServerProgram(const std::string& path) = 0;

    // INI files. The entries are taken out of the file EditIniFile gives (nullptr when there is
    // none to work on, which is reported).
    virtual std::unique_ptr<IniFileEdit> EditIniFile(const std::string& fileName) = 0;
    virtual void DeleteIniEntry(IniFileEdit& file, const std::string& section,
                                const std::string& name) = 0;
    virtual void EraseIniSection(IniFileEdit& file, const std::string& section) = 0;
    // A file the removal left empty, with its folder when nothing else is in it.
    virtual void RemoveEmptyIniFile(const std::string& fileName) = 0;

    // The database engine.
    virtual void DeleteAlias(platform::IDatabaseEngine& engine, const std::string& alias) = 0;
    virtual void SaveEngineConfig(platform::IDatabaseEngine& engine) = 0;
    // The engine's use count, on its open key, set to left.
    virtual void LowerEngineUseCount(TtarnRegistry& engineKey, std::int64_t left) = 0;

    // The registry.
    // An existing key of HKEY_LOCAL_MACHINE with everything below it.
    virtual void DeleteKeyTree(const std::string& key) = 0;
    // A recorded value of the open key at path.
    virtual void DeleteRecordedValue(TtarnRegistry& key, const std::string& path,
                                     const std::string& name) = 0;
    // The open key at path, when no value or key is left in it.
    virtual void RemoveKeyWhenEmpty(TtarnRegistry& key, const std::string& path) = 0;

    // The install record, unreported: a handled entry leaves it as soon as its change is done,
    // so that a run stopped later and started again does not handle it a second time (a shared
    // count lowered twice would let a file go that another product still uses).
    // Forgets the count of entries ("Entries") of an open record key and lists the entries.
    virtual void ForgetEntryCount(TtarnRegistry& record, TStringList& names) = 0;
    virtual void ForgetRecordValue(TtarnRegistry& record, const std::string& name) = 0;
    virtual void ForgetRecordValue(const std::string& key, const std::string& name) = 0;
    virtual void ForgetRecordKey(const std::string& key) = 0;
};

// The actions of a real run, or of a dry run whose questions are answered with dryRunAnswer.
std::unique_ptr<UninstallActions> MakeUninstallActions(bool dryRun, bool dryRunAnswer,
                                                       ActionReporter report, IUninstallView& view);

} // namespace tarn::uninstall
