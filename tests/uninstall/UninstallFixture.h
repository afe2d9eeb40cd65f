// A temporary machine with a scripted user interface, a fake database engine and the uninstaller
// on a recording view; helpers that lay out an install record and look at what is left.
#pragma once

#include "platform/Platform.h"
#include "platform/ScriptedUserInterface.h"
#include "support/TempMachine.h"
#include "uninstall/RecordingUninstallView.h"
#include "uninstall/UninstallForm.h"

#include <cstdint>
#include <gtest/gtest.h>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tarn::test {

// Records every engine call; Init answers with initResult.
class FakeDatabaseEngine : public platform::IDatabaseEngine {
public:
    std::int32_t initResult = platform::DBIERR_NONE;
    std::vector<std::string> calls; // "init 500", "delete NAME", "save 1", "exit"

    std::int32_t Init(std::uint16_t version) override;
    std::int32_t DeleteAlias(const std::string& oemName) override;
    std::int32_t SaveConfig(bool persistent) override;
    std::int32_t Exit() override;
};

// A server program for the machine: after a moment it writes the command line it was given
// into seen.
std::string ServerScript(const std::filesystem::path& seen);

inline const std::string kRecord =
    "\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Demo Product";

class UninstallTest : public ::testing::Test {
protected:
    UninstallTest();

    // Closes the machine so that another process can take it, and opens it again.
    void Detach();
    void Attach();

    // FormCreate with "Demo Product" given as two arguments.
    void Create();
    // Create and Start; the result of Start.
    bool Run();

    // A file on drive C: of the machine.
    void PutFile(const std::string& path, const std::string& content = "data");
    bool Exists(const std::string& path) const;
    std::string Content(const std::string& path) const;

    // Registry under HKEY_LOCAL_MACHINE unless a root code is given.
    void PutString(const std::string& key, const std::string& name, const std::string& value,
                   std::uint8_t root = 4);
    void PutInteger(const std::string& key, const std::string& name, std::int32_t value,
                    std::uint8_t root = 4);
    void PutKey(const std::string& key, std::uint8_t root = 4);
    bool KeyExists(const std::string& key, std::uint8_t root = 4) const;
    bool ValueExists(const std::string& key, const std::string& name, std::uint8_t root = 4) const;
    std::string String(const std::string& key, const std::string& name) const;
    std::optional<std::int32_t> SharedCount(const std::string& name) const;

    // Record entries as the install writes them: File1, File2, ... and "Entries".
    void RecordFiles(const std::string& key, const std::vector<std::string>& data);

    std::vector<std::string> Questions() const;
    std::vector<std::string> Errors() const;
    std::vector<std::string> Notices() const;

    TempMachine machine;
    platform::ScriptedUserInterface ui;
    FakeDatabaseEngine engine;
    std::unique_ptr<platform::ScopedPlatform> scope;
    uninstall::RecordingUninstallView view;
    std::unique_ptr<uninstall::TForm1> form;

private:
    bool detached_ = false;
};

} // namespace tarn::test
