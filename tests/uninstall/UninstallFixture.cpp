#include "UninstallFixture.h"

#include "routines/cmp_TTarnRegistry.h"
#include "routines/routines_Registry.h"

namespace tarn::test {

std::int32_t FakeDatabaseEngine::Init(std::uint16_t version) {
    calls.push_back("init " + std::to_string(version));
    return initResult;
}

std::int32_t FakeDatabaseEngine::DeleteAlias(const std::string& oemName) {
    calls.push_back("delete " + oemName);
    return platform::DBIERR_NONE;
}

std::int32_t FakeDatabaseEngine::SaveConfig(bool persistent) {
    calls.push_back(persistent ? "save 1" : "save 0");
    return platform::DBIERR_NONE;
}

std::int32_t FakeDatabaseEngine::Exit() {
    calls.push_back("exit");
    return platform::DBIERR_NONE;
}

std::string ServerScript(const std::filesystem::path& seen) {
    // The work is done in the body, which the shell reads from the file while it runs: a server
    // whose file went before it was read would leave nothing in seen.
    const std::string to = seen.string();
    return "#!/bin/sh\nsleep 0.2\nprintf %s \"$TARNWELL_COMMAND_LINE\" > '" + to + ".tmp' && mv '" +
           to + ".tmp' '" + to + "'\n";
}

UninstallTest::UninstallTest() {
    Attach();
}

void UninstallTest::Detach() {
    form.reset();
    scope.reset();
    machine.Close();
    detached_ = true;
}

void UninstallTest::Attach() {
    if (detached_) machine.Reopen();
    detached_ = false;
    form.reset();
    scope.reset();
    platform::Services services = machine->GetServices();
    services.ui = &ui;
    services.database = &engine;
    scope = std::make_unique<platform::ScopedPlatform>(services);
    form = std::make_unique<uninstall::TForm1>(view);
}

void UninstallTest::Create() {
    ASSERT_TRUE(form->Create({"Demo", "Product"}));
}

bool UninstallTest::Run() {
    if (!form->Create({"Demo", "Product"})) return false;
    return form->Start();
}

void UninstallTest::PutFile(const std::string& path, const std::string& content) {
    WriteHostFile(machine.Host(path), content);
}

bool UninstallTest::Exists(const std::string& path) const {
    return std::filesystem::exists(machine.Host(path));
}

std::string UninstallTest::Content(const std::string& path) const {
    return ReadHostFile(machine.Host(path));
}

void UninstallTest::PutString(const std::string& key, const std::string& name,
                              const std::string& value, std::uint8_t root) {
    WriteRegistryString(root, key, name, value);
}

void UninstallTest::PutInteger(const std::string& key, const std::string& name, std::int32_t value,
                               std::uint8_t root) {
    WriteRegistryInteger(root, key, name, value);
}

void UninstallTest::PutKey(const std::string& key, std::uint8_t root) {
    TtarnRegistry reg;
    SetRootByCode(reg, root);
    ASSERT_TRUE(reg.OpenKey(key, true));
}

bool UninstallTest::KeyExists(const std::string& key, std::uint8_t root) const {
    TtarnRegistry reg;
    SetRootByCode(reg, root);
    return reg.KeyExists(key);
}

bool UninstallTest::ValueExists(const std::string& key, const std::string& name,
                                std::uint8_t root) const {
    TtarnRegistry reg;
    SetRootByCode(reg, root);
    return reg.OpenKey(key, false) && reg.ValueExists(name);
}

std::string UninstallTest::String(const std::string& key, const std::string& name) const {
    std::string value;
    ReadRegistryString(4, key, name, value, "<missing>");
    return value;
}

std::optional<std::int32_t> UninstallTest::SharedCount(const std::string& name) const {
    if (!ValueExists(uninstall::kSharedDllsKey, name)) return std::nullopt;
    return ReadRegistryInteger(4, uninstall::kSharedDllsKey, name, -1);
}

void UninstallTest::RecordFiles(const std::string& key, const std::vector<std::string>& data) {
    for (std::size_t i = 0; i < data.size(); ++i)
        PutString(key, "File" + std::to_string(i + 1), data[i]);
    PutString(key, "Entries", std::to_string(data.size()));
}

std::vector<std::string> UninstallTest::Questions() const {
    return ui.Texts(platform::ScriptedUserInterface::Kind::Confirm);
}
std::vector<std::string> UninstallTest::Errors() const {
    return ui.Texts(platform::ScriptedUserInterface::Kind::Error);
}
std::vector<std::string> UninstallTest::Notices() const {
    return ui.Texts(platform::ScriptedUserInterface::Kind::Inform);
}

} // namespace tarn::test
