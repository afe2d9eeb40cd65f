// The registry phase: the recorded values leave their keys, and keys left with nothing in them
// go, deepest first.
#include "framework/Exception.h"
#include "platform/Platform.h"
#include "routines/cmp_TTarnRegistry.h"
#include "uninstall/UninstallActions.h"
#include "uninstall/UninstallForm.h"

#include <memory>

namespace tarn::uninstall {

namespace {

// A key path as the registry object takes it: a path without its leading backslash would be
// taken against whatever key was opened last, so every path is made absolute.
std::string AbsoluteKey(const std::string& key) {
    return !key.empty() && key[0] == '\\' ? key : "\\" + key;
}

// Frees the key information objects of a list when the scope ends.
class KeyInfoRelease {
public:
    explicit KeyInfoRelease(TSortableStringList& list) : list_(list) {}
    ~KeyInfoRelease() {
        for (int i = 0; i < list_.Count(); ++i) {
            delete list_.Objects<TKeyInfoObject>(i);
            list_.SetObject<TKeyInfoObject>(i, nullptr);
        }
    }
    KeyInfoRelease(const KeyInfoRelease&) = delete;
    KeyInfoRelease& operator=(const KeyInfoRelease&) = delete;

private:
    TSortableStringList& list_;
};

} // namespace

bool TForm1::RemoveRegistryKeys() {
    bool result = true;
    const std::string key = FRecordKey + "\\RegistryKeys";
    TStringList entries;
    {
        TtarnRegistry record;
        SetRootByCode(record, rcLocalMachine);
        if (!record.OpenKey(key, false)) return true;
        record.GetKeyNames(entries);
    }
    TSortableStringList keys;
    KeyInfoRelease release(keys);
    for (int i = 0; i < entries.Count(); ++i) {
        const std::string recordPath = key + "\\" + entries[i];
        try {
            TtarnRegistry entry;
            SetRootByCode(entry, rcLocalMachine);
            if (!entry.OpenKey(recordPath, false)) {
                result = false;
                continue;
            }
            const std::string path = entry.ReadString("Key");
            const std::int32_t root = entry.ReadInteger("Root");
            if (root < 0 || root > 5) {
                Report("skipped registry entry " + entries[i] + ", because its root " +
                       std::to_string(root) + " is not 0 to 5");
                result = false;
                continue;
            }
            auto info = std::make_unique<TKeyInfoObject>();
            info->RecordPath = recordPath;
            info->RootCode = root;
            keys.AddObject(path, info.release());
        } catch (const Exception& e) {
            Report("skipped registry entry " + entries[i] + ", because " + e.Message());
            result = false;
        }
    }
    if (!DeleteRecordedKeys(keys)) result = false;
    DeleteRecordTree(key);
    return result;
}

bool TForm1::DeleteRecordedKeys(TSortableStringList& list) {
    KeyInfoRelease release(list);
    platform::ISystemInfo& system = platform::System();
    list.CustomSort([&system](const TStringList& l, int a, int b) {
        return system.CompareString(l[a], l[b], true);
    });
    TtarnRegistry target;
    TtarnRegistry record;
    SetRootByCode(record, rcLocalMachine);
    for (int i = list.Count() - 1; i >= 0; --i) {
        const TKeyInfoObject* info = list.Objects<TKeyInfoObject>(i);
        if (!info) continue;
        const std::string path = AbsoluteKey(list[i]);
        target.CloseKey();
        SetRootByCode(target, static_cast<std::uint8_t>(info->RootCode));
        if (target.OpenKey(path, false)) RemoveRecordedKey(target, path, info->RecordPath, record);
        // The entry is done with: a run started again does not come back to it.
        actions_->ForgetRecordKey(info->RecordPath);
    }
    return true;
}

void TForm1::RemoveRecordedKey(TtarnRegistry& target, const std::string& path,
                               const std::string& recordPath, TtarnRegistry& record) {
    if (record.OpenKey(recordPath + "\\Entries", false)) {
        TStringList values;
        record.GetValueNames(values);
        for (int v = 0; v < values.Count(); ++v) {
            actions_->DeleteRecordedValue(target, path, values[v]);
            actions_->ForgetRecordValue(record, values[v]);
        }
        record.CloseKey();
    }
    actions_->RemoveKeyWhenEmpty(target, path);
}

} // namespace tarn::uninstall
