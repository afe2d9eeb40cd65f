// The actions of a dry run: each change is reported as it would be made ("delete X", "keep X
// with count N", ...) and nothing is changed, neither the machine nor the install record.
// Questions are reported and answered with a fixed answer. Where a report depends on what a
// change would leave (an INI file left empty), the change is made on a scratch copy.
#pragma once

#include "uninstall/UninstallActions.h"

namespace tarn::uninstall {

class DryRunActions : public UninstallActions {
public:
    DryRunActions(ActionReporter report, bool answer);

    bool Ask(const std::string& question) override;

    void DeleteOwnedFile(const std::string& path) override;
    FileFate DeleteRecordedFile(const std::string& path) override;
    void RemoveFolder(const std::string& folder) override;
    ProgramFate RemoveOwnProgram(const std::string& path) override;

    void LowerSharedCount(const std::string& name, std::int32_t count) override;
    void DeleteSharedCount(const std::string& name) override;

    void UnregisterLibrary(const std::string& path) override;
    void UnregisterServerProgram(const std::string& path) override;

    std::unique_ptr<IniFileEdit> EditIniFile(const std::string& fileName) override;
    void DeleteIniEntry(IniFileEdit& file, const std::string& section,
                        const std::string& name) override;
    void EraseIniSection(IniFileEdit& file, const std::string& section) override;
    void RemoveEmptyIniFile(const std::string& fileName) override;

    void DeleteAlias(platform::IDatabaseEngine& engine, const std::string& alias) override;
    void SaveEngineConfig(platform::IDatabaseEngine& engine) override;
    void LowerEngineUseCount(TtarnRegistry& engineKey, std::int64_t left) override;

    void DeleteKeyTree(const std::string& key) override;
    void DeleteRecordedValue(TtarnRegistry& key, const std::string& path,
                             const std::string& name) override;
    void RemoveKeyWhenEmpty(TtarnRegistry& key, const std::string& path) override;

    void ForgetEntryCount(TtarnRegistry& record, TStringList& names) override;
    void ForgetRecordValue(TtarnRegistry& record, const std::string& name) override;
    void ForgetRecordValue(const std::string& key, const std::string& name) override;
    void ForgetRecordKey(const std::string& key) override;

private:
    void Report(const std::string& line) const { report_(line); }

    ActionReporter report_;
    bool answer_;
};

} // namespace tarn::uninstall
