// The key wrapper over the embedded registry, whose handles are never reused: a leaked handle
// shows in the open count, a second close of one handle as a failed close.
#include "platform/ScopedRegKey.h"
#include "support/FaultedRegistry.h"
#include "support/TempMachine.h"

#include <gtest/gtest.h>

#include <utility>

using namespace tarn::platform;
using namespace tarn::platform::portable;

namespace {

class CountingRegistry : public tarn::test::FaultedRegistry {
public:
    using FaultedRegistry::FaultedRegistry;
    LONG CloseKey(HKEY key) override {
        const LONG rc = FaultedRegistry::CloseKey(key);
        if (rc != ERROR_SUCCESS) ++failedCloses;
        return rc;
    }
    int failedCloses = 0;
};

class ScopedRegKeyTest : public testing::Test {
protected:
    ScopedRegKeyTest()
        : store_(folder_.Path() / "registry.reg"), backend_(store_), reg_(backend_, faults_) {}
    ~ScopedRegKeyTest() override {
        EXPECT_EQ(reg_.OpenHandleCount(), 0u) << "a handle leaked";
        EXPECT_EQ(reg_.failedCloses, 0) << "a handle was closed twice";
    }

    ScopedRegKey Opened(const std::string& sub) {
        ScopedRegKey key(reg_);
        EXPECT_EQ(key.Create(HKEY_CURRENT_USER, sub, KEY_ALL_ACCESS), ERROR_SUCCESS) << sub;
        return key;
    }

    tarn::test::TempFolder folder_;
    Faults faults_;
    RegistryStore store_;
    PortableRegistry backend_;
    CountingRegistry reg_;
};

TEST_F(ScopedRegKeyTest, EachKeyIsClosedOnceWhateverEndsItsOwner) {
    {
        ScopedRegKey a = Opened("A");
        EXPECT_EQ(reg_.OpenHandleCount(), 1u);
    }
    EXPECT_EQ(reg_.OpenHandleCount(), 0u);

    // Moved: the handle goes along, and the moved-from wrapper must not close it as well.
    ScopedRegKey a = Opened("A");
    const HKEY handle = a.Handle();
    ScopedRegKey b(std::move(a));
    EXPECT_FALSE(a.Valid());
    EXPECT_EQ(a.Handle(), 0u);
    EXPECT_EQ(b.Handle(), handle);
    ScopedRegKey c = Opened("C");
    c = std::move(b); // C's own key is closed, A's is taken over
    EXPECT_EQ(c.Handle(), handle);
    EXPECT_EQ(reg_.OpenHandleCount(), 1u);

    // Opening again replaces the key, even when the new one is opened below the old.
    ASSERT_EQ(c.Create(c.Handle(), "Child", KEY_READ), ERROR_SUCCESS);
    EXPECT_NE(c.Handle(), handle);
    EXPECT_EQ(reg_.OpenHandleCount(), 1u);
    c.Close();
    c.Close();
    EXPECT_EQ(reg_.OpenHandleCount(), 0u);

    // The moved-from wrapper still works with its registry.
    ASSERT_EQ(a.Open(HKEY_CURRENT_USER, "A\\Child", KEY_READ), ERROR_SUCCESS);
    EXPECT_TRUE(a.Valid());
}

TEST_F(ScopedRegKeyTest, AFailureIsTheErrorCodeAndNoKey) {
    faults_.denyWriteKeys = {"HKEY_CURRENT_USER\\Locked"};
    ScopedRegKey key(reg_);
    EXPECT_EQ(key.Open(HKEY_CURRENT_USER, "Missing", KEY_READ), ERROR_FILE_NOT_FOUND);
    EXPECT_FALSE(key.Valid());
    EXPECT_EQ(key.Create(HKEY_CURRENT_USER, "Locked", KEY_ALL_ACCESS), ERROR_ACCESS_DENIED);
    EXPECT_FALSE(key.Valid());
    EXPECT_EQ(key.Handle(), 0u);
    // Without a key nothing is written anywhere, not even to a root.
    EXPECT_EQ(key.WriteString("v", "x"), ERROR_INVALID_HANDLE);
    EXPECT_EQ(reg_.OpenHandleCount(), 0u);

    // A failed open keeps the key already held; the access asked for is the one granted.
    ASSERT_EQ(key.Create(HKEY_CURRENT_USER, "Open", KEY_READ), ERROR_SUCCESS);
    const HKEY held = key.Handle();
    EXPECT_EQ(key.Open(HKEY_CURRENT_USER, "Missing", KEY_READ), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(key.Handle(), held);
    EXPECT_EQ(key.WriteString("v", "x"), ERROR_ACCESS_DENIED);
}

TEST_F(ScopedRegKeyTest, StringsAndNamesReadAsTheCallersExpect) {
    ScopedRegKey key = Opened("Values");
    ASSERT_EQ(key.WriteString("Plain", "text"), ERROR_SUCCESS);
    const std::vector<std::uint8_t> expand = {'%', 'X', '%', 0, 0};
    ASSERT_EQ(key.WriteValue("Expand", REG_EXPAND_SZ, expand), ERROR_SUCCESS);
    ASSERT_EQ(key.WriteValue("Number", REG_DWORD, {1, 0, 0, 0}), ERROR_SUCCESS);

    std::string out;
    EXPECT_EQ(key.ReadString("Plain", out), ERROR_SUCCESS);
    EXPECT_EQ(out, "text"); // written with one terminating zero, read without it
    EXPECT_EQ(key.ReadString("Expand", out), ERROR_SUCCESS);
    EXPECT_EQ(out, "%X%");
    EXPECT_EQ(key.ReadString("Number", out), ERROR_CANTREAD);
    EXPECT_EQ(key.ReadString("None", out), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(out, "%X%");

    EXPECT_EQ(key.ValueNames(), (std::vector<std::string>{"Plain", "Expand", "Number"}));
    ASSERT_EQ(key.DeleteValue("Expand"), ERROR_SUCCESS);
    EXPECT_EQ(key.ValueNames(), (std::vector<std::string>{"Plain", "Number"}));
    Opened("Values\\One");
    Opened("Values\\Two");
    EXPECT_EQ(key.SubKeyNames(), (std::vector<std::string>{"One", "Two"}));
}

} // namespace
