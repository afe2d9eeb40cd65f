// The Win32 backend as a whole, and the services that need the running Windows around them:
// predefined registry roots, processes, bare INI names.
#include "platform/win32/Win32Backend.h"
#include "platform/Platform.h"
#include "platform/contract/ContractEnvironment.h"

#include <gtest/gtest.h>

namespace tarn::platform {
namespace {

TEST(Win32Backend, ProvidesEveryService) {
    auto backend = std::make_unique<win32::Win32Backend>();
    Services services = backend->GetServices();
    EXPECT_TRUE(services.registry && services.files && services.profile && services.processes &&
                services.libraries && services.system && services.reboot && services.ui &&
                services.database);
    EXPECT_TRUE(services.console);
}

TEST(Win32Backend, PredefinedRootsReachWindowsOwnKeys) {
    auto backend = std::make_unique<win32::Win32Backend>();
    IRegistry& registry = *backend->GetServices().registry;
    HKEY key = 0;
    ASSERT_EQ(registry.OpenKey(HKEY_LOCAL_MACHINE,
                               "Software\\Microsoft\\Windows NT\\CurrentVersion", KEY_READ, key),
              ERROR_SUCCESS);
    DWORD type = 0;
    std::vector<std::uint8_t> data;
    EXPECT_EQ(registry.QueryValue(key, "CurrentVersion", type, data), ERROR_SUCCESS);
    EXPECT_EQ(type, REG_SZ);
    EXPECT_EQ(registry.CloseKey(key), ERROR_SUCCESS);
    for (HKEY root : {HKEY_CLASSES_ROOT, HKEY_CURRENT_USER, HKEY_USERS}) {
        RegKeyInfo info;
        EXPECT_EQ(registry.QueryInfoKey(root, info), ERROR_SUCCESS) << root;
        EXPECT_GT(info.subKeys, 0u) << root;
    }
}

TEST(Win32Backend, StartsAProgramAndCollectsItsExitCode) {
    auto backend = std::make_unique<win32::Win32Backend>();
    Services services = backend->GetServices();
    std::string system;
    ASSERT_EQ(services.system->GetSystemDirectory(system), ERROR_SUCCESS);
    ProcessStart start;
    start.application = system + "\\cmd.exe";
    start.commandLine = "cmd.exe /c exit 3";
    start.showWindow = SW_HIDE;
    HANDLE process = 0;
    ASSERT_EQ(services.processes->CreateProcess(start, process), ERROR_SUCCESS);
    DWORD code = 0;
    EXPECT_EQ(services.processes->WaitForExit(process, 60000, code), ERROR_SUCCESS);
    EXPECT_EQ(code, 3u);
    EXPECT_EQ(services.processes->CloseProcess(process), ERROR_SUCCESS);

    start.application = system + "\\tarnwell-absent.exe";
    EXPECT_EQ(services.processes->CreateProcess(start, process), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(process, 0u);
}

TEST(Win32Backend, ABareIniNameLivesInTheWindowsFolder) {
    auto environment = test::MakeContractEnvironment();
    Services services = environment->GetServices();
    std::string windows;
    ASSERT_EQ(services.system->GetWindowsDirectory(windows), ERROR_SUCCESS);
    const std::string name = "tarnwell-backend-test.ini";
    ASSERT_EQ(services.profile->WriteString(name, "Section", "Key", "Value"), ERROR_SUCCESS);
    DWORD attributes = 0;
    EXPECT_EQ(services.files->GetAttributes(windows + "\\" + name, attributes), ERROR_SUCCESS);
    EXPECT_EQ(services.profile->GetString(name, "section", "KEY", "none"), "Value");
    EXPECT_EQ(services.files->DeleteFile(windows + "\\" + name), ERROR_SUCCESS);
}

TEST(Win32Backend, TheContractEnvironmentKnowsWhetherItIsWine) {
    // Wine keeps its own settings under HKCU\Software\Wine; Windows has no such key.
    auto environment = test::MakeContractEnvironment();
    IRegistry& registry = *environment->GetServices().registry;
    HKEY key = 0;
    bool wineKey =
        registry.OpenKey(HKEY_CURRENT_USER, "Software\\Wine", KEY_READ, key) == ERROR_SUCCESS;
    if (wineKey) registry.CloseKey(key);
    EXPECT_EQ(environment->RunsOnWine(), wineKey);
}

} // namespace
} // namespace tarn::platform
