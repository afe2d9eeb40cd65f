// What the embedded registry adds to the Windows behaviour the contract suite checks: stored
// places of the derived roots, faults standing in for key ACLs, the rules on creating keys, and
// which calls mark the registry as changed.
#include "support/FaultedRegistry.h"
#include "support/TempMachine.h"

#include <gtest/gtest.h>

using namespace tarn::platform;
using namespace tarn::platform::portable;

namespace {

class RegistryCalls : public testing::Test {
protected:
    RegistryCalls()
        : store_(folder_.Path() / "registry.reg"), backend_(store_), reg_(backend_, faults_) {}

    HKEY Create(HKEY root, const std::string& sub, REGSAM access = KEY_ALL_ACCESS) {
        HKEY h = 0;
        EXPECT_EQ(reg_.CreateKey(root, sub, access, h), ERROR_SUCCESS) << sub;
        return h;
    }
    LONG CreateRc(HKEY root, const std::string& sub, REGSAM access) {
        HKEY h = 0;
        return reg_.CreateKey(root, sub, access, h);
    }
    LONG OpenRc(HKEY root, const std::string& sub, REGSAM access) {
        HKEY h = 0;
        LONG rc = reg_.OpenKey(root, sub, access, h);
        reg_.CloseKey(h);
        return rc;
    }
    LONG SetByte(HKEY h, const std::string& name, std::uint8_t b = 1) {
        return reg_.SetValue(h, name, REG_BINARY, &b, 1);
    }

    tarn::test::TempFolder folder_;
    Faults faults_;
    RegistryStore store_;
    PortableRegistry backend_;
    tarn::test::FaultedRegistry reg_;
};

TEST_F(RegistryCalls, DerivedRootsAreMadeWhereWindowsNtKeepsThem) {
    std::string name;
    EXPECT_EQ(reg_.EnumKey(HKEY_CLASSES_ROOT, 0, name), ERROR_NO_MORE_ITEMS);
    EXPECT_EQ(SetByte(Create(HKEY_CURRENT_CONFIG, "Display"), "Bpp"), ERROR_SUCCESS);
    EXPECT_EQ(OpenRc(HKEY_LOCAL_MACHINE, "SOFTWARE\\CLASSES", KEY_READ), ERROR_SUCCESS);
    EXPECT_EQ(OpenRc(HKEY_LOCAL_MACHINE,
                     "System\\CurrentControlSet\\Hardware Profiles\\Current\\display", KEY_READ),
              ERROR_SUCCESS);
    // NT lets a path below HKEY_CLASSES_ROOT, and no other, start with a backslash.
    Create(HKEY_CLASSES_ROOT, "CLSID\\{X}");
    EXPECT_EQ(OpenRc(HKEY_CLASSES_ROOT, "\\clsid\\{x}", KEY_READ), ERROR_SUCCESS);
    EXPECT_EQ(OpenRc(HKEY_LOCAL_MACHINE, "\\Software", KEY_READ), ERROR_BAD_PATHNAME);
    EXPECT_EQ(CreateRc(HKEY_CURRENT_USER, "\\New", KEY_READ), ERROR_BAD_PATHNAME);
    EXPECT_EQ(reg_.DeleteKey(HKEY_CLASSES_ROOT, ""), ERROR_ACCESS_DENIED);
}

TEST_F(RegistryCalls, HandlesAreNeverReusedAndUnknownOnesAreInvalid) {
    EXPECT_EQ(OpenRc(HKEY_DYN_DATA, "", KEY_READ), ERROR_INVALID_HANDLE);
    EXPECT_EQ(OpenRc(HKEY_PERFORMANCE_DATA, "", KEY_READ), ERROR_INVALID_HANDLE);
    HKEY a = Create(HKEY_CURRENT_USER, "A");
    ASSERT_EQ(reg_.CloseKey(a), ERROR_SUCCESS);
    HKEY b = Create(HKEY_CURRENT_USER, "B");
    EXPECT_NE(a, b);
    EXPECT_EQ(reg_.CloseKey(a), ERROR_INVALID_HANDLE);
    reg_.CloseKey(b);
    EXPECT_EQ(reg_.OpenHandleCount(), 0u);
}

TEST_F(RegistryCalls, NamesTheFileCannotHoldAreRefusedWithoutTrace) {
    EXPECT_EQ(CreateRc(HKEY_CURRENT_USER, "Bad\\Line\nBreak", KEY_ALL_ACCESS), ERROR_INVALID_NAME);
    EXPECT_EQ(OpenRc(HKEY_CURRENT_USER, "Bad", KEY_READ), ERROR_FILE_NOT_FOUND);
    HKEY h = Create(HKEY_CURRENT_USER, "Good");
    EXPECT_EQ(SetByte(h, std::string("a\0b", 3)), ERROR_INVALID_NAME);
    EXPECT_EQ(reg_.SetValue(h, "v", REG_BINARY, nullptr, 3), ERROR_INVALID_PARAMETER);
}

TEST_F(RegistryCalls, NewKeysNeedTheCreateRightOnTheParentHandle) {
    Create(HKEY_LOCAL_MACHINE, "Software\\App\\Existing");
    HKEY readOnly = 0, creator = 0, h = 0;
    ASSERT_EQ(reg_.OpenKey(HKEY_LOCAL_MACHINE, "Software\\App", KEY_READ, readOnly), 0);
    ASSERT_EQ(reg_.OpenKey(HKEY_LOCAL_MACHINE, "Software\\App", KEY_CREATE_SUB_KEY, creator), 0);
    EXPECT_EQ(CreateRc(readOnly, "existing", KEY_READ), ERROR_SUCCESS);
    EXPECT_EQ(CreateRc(readOnly, "New\\Deeper", KEY_READ), ERROR_ACCESS_DENIED);
    EXPECT_EQ(OpenRc(HKEY_LOCAL_MACHINE, "Software\\App\\New", KEY_READ), ERROR_FILE_NOT_FOUND);
    ASSERT_EQ(reg_.CreateKey(creator, "New\\Deeper", KEY_READ, h), ERROR_SUCCESS);
    EXPECT_EQ(SetByte(h, "v"), ERROR_ACCESS_DENIED); // the rights asked for, not the parent's
}

TEST_F(RegistryCalls, ReadFaultRefusesEveryReadRight) {
    Create(HKEY_CLASSES_ROOT, "Secret\\Inner");
    faults_.denyReadKeys = {"HKEY_CLASSES_ROOT\\secret"};
    for (REGSAM right : {KEY_QUERY_VALUE, KEY_ENUMERATE_SUB_KEYS, KEY_NOTIFY, KEY_READ,
                         REGSAM{0x80000000} /* GENERIC_READ */})
        EXPECT_EQ(OpenRc(HKEY_LOCAL_MACHINE, "Software\\Classes\\Secret\\Inner", right),
                  ERROR_ACCESS_DENIED)
            << right;
    EXPECT_EQ(OpenRc(HKEY_CLASSES_ROOT, "Secret", KEY_SET_VALUE), ERROR_SUCCESS);
    EXPECT_EQ(CreateRc(HKEY_CLASSES_ROOT, "Secret\\Inner", KEY_READ), ERROR_ACCESS_DENIED);
    EXPECT_EQ(CreateRc(HKEY_CLASSES_ROOT, "Secret\\New", KEY_ALL_ACCESS), ERROR_ACCESS_DENIED);
    EXPECT_EQ(OpenRc(HKEY_CLASSES_ROOT, "Secret\\New", KEY_WRITE), ERROR_FILE_NOT_FOUND);
}

TEST_F(RegistryCalls, WriteFaultAllowsOnlyReading) {
    Create(HKEY_LOCAL_MACHINE, "Software\\Policies\\Leaf");
    faults_.denyWriteKeys = {"HKLM\\SOFTWARE\\Policies"};
    EXPECT_EQ(OpenRc(HKEY_LOCAL_MACHINE, "Software\\Policies\\Leaf", KEY_READ), ERROR_SUCCESS);
    EXPECT_EQ(OpenRc(HKEY_LOCAL_MACHINE, "Software\\Policies", KEY_READ | KEY_WRITE),
              ERROR_ACCESS_DENIED);
    EXPECT_EQ(CreateRc(HKEY_LOCAL_MACHINE, "Software\\Policies\\New", KEY_READ),
              ERROR_ACCESS_DENIED);
    EXPECT_EQ(reg_.DeleteKey(HKEY_LOCAL_MACHINE, "Software\\Policies\\Leaf"), ERROR_ACCESS_DENIED);
    // MAXIMUM_ALLOWED gets what is left.
    HKEY h = 0;
    ASSERT_EQ(reg_.OpenKey(HKEY_LOCAL_MACHINE, "Software\\Policies", 0x02000000, h), 0);
    std::string name;
    EXPECT_EQ(reg_.EnumKey(h, 0, name), ERROR_SUCCESS);
    EXPECT_EQ(SetByte(h, "v"), ERROR_ACCESS_DENIED);

    // A path that runs into a denied subtree makes none of its keys.
    faults_.denyWriteKeys = {"HKLM\\Software\\Fresh\\Locked"};
    EXPECT_EQ(CreateRc(HKEY_LOCAL_MACHINE, "Software\\Fresh\\Locked\\Deep", KEY_READ),
              ERROR_ACCESS_DENIED);
    EXPECT_EQ(OpenRc(HKEY_LOCAL_MACHINE, "Software\\Fresh", KEY_READ), ERROR_FILE_NOT_FOUND);
    // Predefined handles lose the denied rights too.
    faults_.denyWriteKeys = {"HKEY_CLASSES_ROOT"};
    EXPECT_EQ(SetByte(HKEY_CLASSES_ROOT, ""), ERROR_ACCESS_DENIED);
    EXPECT_EQ(SetByte(HKEY_LOCAL_MACHINE, "x"), ERROR_SUCCESS);
}

// As on Windows after an ACL change, an open handle keeps the rights it was granted.
TEST_F(RegistryCalls, HandlesKeepTheRightsTheFaultsLeftThemWhenOpened) {
    Create(HKEY_LOCAL_MACHINE, "Software\\Policies\\Existing");
    faults_.denyWriteKeys = {"HKLM\\Software\\Policies"};
    HKEY h = 0;
    ASSERT_EQ(reg_.OpenKey(HKEY_LOCAL_MACHINE, "Software\\Policies", MAXIMUM_ALLOWED, h), 0);
    faults_.Clear();
    EXPECT_EQ(SetByte(h, "v"), ERROR_ACCESS_DENIED);
    EXPECT_EQ(CreateRc(h, "existing", KEY_READ), ERROR_SUCCESS);
    EXPECT_EQ(CreateRc(h, "New", KEY_READ), ERROR_ACCESS_DENIED);
    std::string name;
    EXPECT_EQ(reg_.EnumKey(h, 0, name), ERROR_SUCCESS);
    ASSERT_EQ(reg_.CloseKey(h), ERROR_SUCCESS);
    EXPECT_EQ(SetByte(h, "v"), ERROR_INVALID_HANDLE);

    // A handle opened now gets every right.
    ASSERT_EQ(reg_.OpenKey(HKEY_LOCAL_MACHINE, "Software\\Policies", MAXIMUM_ALLOWED, h), 0);
    EXPECT_EQ(SetByte(h, "v"), ERROR_SUCCESS);
    EXPECT_EQ(CreateRc(h, "New", KEY_READ), ERROR_SUCCESS);
}

TEST_F(RegistryCalls, RefusedValueWritesLeaveTheKeyUsable) {
    HKEY h = Create(HKEY_CURRENT_USER, "Software\\App\\Sub");
    ASSERT_EQ(SetByte(h, "keep"), ERROR_SUCCESS);
    faults_.refuseValueWriteKeys = {"HKCU\\Software\\App"};
    EXPECT_EQ(SetByte(h, "new"), ERROR_ACCESS_DENIED);
    EXPECT_EQ(reg_.DeleteValue(h, "keep"), ERROR_ACCESS_DENIED);
    DWORD type = 0;
    std::vector<std::uint8_t> data;
    EXPECT_EQ(reg_.QueryValue(h, "keep", type, data), ERROR_SUCCESS);
    EXPECT_EQ(CreateRc(h, "Child", KEY_READ), ERROR_SUCCESS);
    EXPECT_EQ(reg_.DeleteKey(h, "Child"), ERROR_SUCCESS);
}

TEST_F(RegistryCalls, ChangesMarkTheStoreAndFlushKeyWritesIt) {
    HKEY h = Create(HKEY_CURRENT_USER, "Software\\App");
    auto changes = [&](LONG rc) {
        bool dirty = rc == ERROR_SUCCESS && store_.Dirty();
        store_.Flush();
        return dirty;
    };
    EXPECT_TRUE(changes(SetByte(h, "v")));
    EXPECT_TRUE(changes(reg_.DeleteValue(h, "v")));
    EXPECT_TRUE(changes(CreateRc(h, "Sub", KEY_READ)));
    EXPECT_FALSE(changes(CreateRc(h, "SUB", KEY_READ))); // opens the existing key
    EXPECT_TRUE(changes(reg_.DeleteKey(h, "Sub")));
    EXPECT_FALSE(changes(reg_.DeleteKey(h, "Sub")));
    RegKeyInfo info;
    EXPECT_FALSE(changes(reg_.QueryInfoKey(h, info)));

    ASSERT_EQ(SetByte(h, "Persisted", 7), ERROR_SUCCESS);
    EXPECT_EQ(reg_.FlushKey(h), ERROR_SUCCESS);
    EXPECT_FALSE(store_.Dirty());
    auto app = RegistryStore(store_.File()).Find(*ToStoredPath("HKCU\\Software\\App"));
    ASSERT_TRUE(app && app->FindValue("persisted"));
    EXPECT_EQ(app->FindValue("persisted")->data, std::vector<std::uint8_t>{7});
}

TEST(RegistryKeyPaths, SpellingsOfAKeyCompareAsOne) {
    EXPECT_TRUE(KeyPathWithin("hkey_local_machine\\SOFTWARE\\X", "HKLM\\software\\"));
    EXPECT_FALSE(KeyPathWithin("HKLM\\Software\\XY", "HKLM\\Software\\X"));
    EXPECT_FALSE(KeyPathWithin("HKLM\\Software", "HKLM\\Software\\X"));
    EXPECT_FALSE(KeyPathWithin("HKCU\\Software\\X", "HKLM\\Software"));
    EXPECT_TRUE(KeyPathWithin("HKEY_LOCAL_MACHINE\\Software\\Classes\\.txt", "HKCR\\.TXT"));
    EXPECT_TRUE(KeyPathWithin("HKEY_CURRENT_CONFIG\\Display",
                              "HKLM\\System\\CurrentControlSet\\Hardware Profiles\\Current"));
    EXPECT_FALSE(KeyPathWithin("HKLM\\Software", ""));

    auto p = ParseKeyPath("hkcu\\Software\\\\Vendor\\");
    ASSERT_TRUE(p);
    EXPECT_EQ(p->root, HKEY_CURRENT_USER);
    EXPECT_EQ(p->subKey, "Software\\Vendor");
    EXPECT_FALSE(ParseKeyPath("HKEY_DYN_DATA\\X"));
    EXPECT_FALSE(ParseKeyPath("Software\\X"));
}

} // namespace
