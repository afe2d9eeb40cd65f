// The database engine phases: the recorded aliases, then the engine's shared use count.
#include "framework/Exception.h"
#include "platform/Platform.h"
#include "routines/cmp_TTarnRegistry.h"
#include "routines/routines_Registry.h"
#include "uninstall/UninstallActions.h"
#include "uninstall/UninstallForm.h"
#include "uninstall/UninstallText.h"

namespace tarn::uninstall {

namespace {
constexpr std::uint16_t kEngineInterfaceVersion = 500;

// Shuts the engine down when the scope ends.
class EngineSession {
public:
    explicit EngineSession(platform::IDatabaseEngine& engine) : engine_(engine) {}
    ~EngineSession() { engine_.Exit(); }
    EngineSession(const EngineSession&) = delete;
    EngineSession& operator=(const EngineSession&) = delete;

private:
    platform::IDatabaseEngine& engine_;
};

} // namespace

std::string ToOem(const std::string& text) {
    return platform::System().CharToOem(text);
}

void TForm1::RemoveAliases() {
    platform::IDatabaseEngine& engine = platform::Database();
    if (engine.Init(kEngineInterfaceVersion) != platform::DBIERR_NONE) {
        Report("skipped aliases, because no database engine could be initialised");
        return;
    }
    EngineSession session(engine);
    const std::string key = FRecordKey + "\\Aliases";
    TStringList aliases;
    GetRegistrySubKeyNames(rcLocalMachine, key, aliases);
    bool attempted = false;
    for (int i = 0; i < aliases.Count(); ++i) {
        actions_->DeleteAlias(engine, aliases[i]);
        actions_->ForgetRecordKey(key + "\\" + aliases[i]);
        attempted = true;
    }
    DeleteRecordTree(key);
    if (attempted) actions_->SaveEngineConfig(engine);
}

void TForm1::RemoveDatabaseEngine() {
    std::int32_t added = 0;
    {
        TtarnRegistry record;
        SetRootByCode(record, rcLocalMachine);
        record.SetLazyWrite(false);
        if (!record.OpenKey(FRecordKey + "\\BDE", false)) return;
        try {
            added = StrToIntStrict(record.ReadString("Entries")).value_or(0);
        } catch (const Exception&) {
            added = 0;
        }
        // What the product added can only lower the count: a negative number would raise it.
        if (added < 0) added = 0;
    }
    TtarnRegistry engine;
    SetRootByCode(engine, rcLocalMachine);
    engine.SetLazyWrite(false);
    if (!engine.OpenKey(kEngineKey, false)) return;
    std::optional<std::int32_t> uses;
    try {
        uses = StrToIntStrict(engine.ReadString("UseCount"));
    } catch (const Exception&) {
    }
    if (!uses) {
        try {
            uses = engine.ReadInteger("UseCount");
        } catch (const Exception&) {
            uses = 0;
        }
    }
    std::string configFile;
    try {
        configFile = engine.ReadString("CONFIGFILE01");
    } catch (const Exception&) {
    }
    const std::int64_t left = static_cast<std::int64_t>(*uses) - added;
    if (left > 0) {
        actions_->LowerEngineUseCount(engine, left);
        ForgetEngineUses();
        return;
    }
    engine.CloseKey();
    if (!actions_->Ask(SConfirmEngineDelete)) {
        Report("kept the database engine, because the answer was No");
        return;
    }
    if (!configFile.empty() && FileExists(configFile)) actions_->DeleteOwnedFile(configFile);
    NoteFolder(configFile);
    DeleteRecordTree(kEngineKey);
    DeleteRecordTree(kBlw32Key);
    TtarnRegistry borland;
    SetRootByCode(borland, rcLocalMachine);
    if (borland.OpenKey(kBorlandKey, false) && !borland.HasSubKeys()) {
        borland.CloseKey();
        DeleteRecordTree(kBorlandKey);
    }
    ForgetEngineUses();
}

void TForm1::ForgetEngineUses() {
    // The uses are given back once: a run started again after a stop must not lower the count
    // a second time. The key itself goes with the record.
    actions_->ForgetRecordValue(FRecordKey + "\\BDE", "Entries");
}

} // namespace tarn::uninstall
