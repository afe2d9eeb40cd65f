// The actions of a real run: each change is carried out and what happened is reported
// ("deleted X", "kept X with count N", "kept X, because it could not be deleted", ...).
#pragma once

#include "uninstall/UninstallActions.h"

namespace tarn::uninstall {

class RealRunActions : public UninstallActions {
public:
    // Questions are shown after the view is told of the box.
    RealRunActions(ActionReporter report, IUninstallView& view);

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
    IUninstallView& view_;
};

} // namespace tarn::uninstall
