// The registry phase: recorded values leave their keys; emptied keys go, deepest first.
#include "UninstallFixture.h"

using namespace tarn;
using namespace tarn::test;

namespace {
const std::string kKeys = kRecord + "\\RegistryKeys";
} // namespace

class RegistryKeysTest : public UninstallTest {
protected:
    void Record(const std::string& entry, const std::string& key, std::int32_t root,
                const std::vector<std::string>& values) {
        PutString(kKeys + "\\" + entry, "Key", key);
        PutInteger(kKeys + "\\" + entry, "Root", root);
        PutKey(kKeys + "\\" + entry + "\\Entries");
        for (const auto& v : values)
            PutString(kKeys + "\\" + entry + "\\Entries", v, "");
    }
};

TEST_F(RegistryKeysTest, AParentEmptiedByItsChildsRemovalGoesToo) {
    PutString("\\Software\\A", "Version", "1");
    PutString("\\Software\\A\\B", "Path", "C:\\App");
    Record("1", "\\Software\\A", 4, {"Version"});
    Record("2", "\\Software\\A\\B", 4, {"Path"});
    Create();
    EXPECT_TRUE(form->RemoveRegistryKeys());
    EXPECT_FALSE(KeyExists("\\Software\\A"));
    EXPECT_FALSE(KeyExists(kKeys));
}

TEST_F(RegistryKeysTest, ForeignValuesAndSubkeysKeepAKey) {
    PutString("\\Software\\Shared", "Ours", "1");
    PutString("\\Software\\Shared", "Theirs", "2");
    PutString("\\Software\\Other", "Ours", "1");
    PutKey("\\Software\\Other\\Child");
    Record("1", "\\Software\\Shared", 4, {"Ours"});
    Record("2", "\\Software\\Other", 4, {"Ours"});
    Create();
    EXPECT_TRUE(form->RemoveRegistryKeys());
    EXPECT_FALSE(ValueExists("\\Software\\Shared", "Ours"));
    EXPECT_TRUE(ValueExists("\\Software\\Shared", "Theirs"));
    EXPECT_FALSE(ValueExists("\\Software\\Other", "Ours"));
    EXPECT_TRUE(KeyExists("\\Software\\Other\\Child"));
}

TEST_F(RegistryKeysTest, KeysUnderOtherRootsAreFoundThroughTheirRootCode) {
    PutString("\\Software\\Demo", "Window", "1", 2);
    PutString(".demo", "", "Demo.File", 0);
    Record("1", "\\Software\\Demo", 2, {"Window"});
    Record("2", "\\.demo", 0, {""});
    Create();
    EXPECT_TRUE(form->RemoveRegistryKeys());
    EXPECT_FALSE(KeyExists("\\Software\\Demo", 2));
    EXPECT_FALSE(KeyExists("\\.demo", 0));
}

TEST_F(RegistryKeysTest, BadRootsAreLeftOutReportedAndTheRestStillGoes) {
    PutString("\\Software\\Good", "V", "1");
    PutString("\\Software\\Bad", "V", "1");
    Record("1", "\\Software\\Good", 4, {"V"});
    Record("2", "\\Software\\Bad", 7, {"V"});
    PutString(kKeys + "\\3", "Key", "\\Software\\Bad");
    PutString(kKeys + "\\3", "Root", "4"); // a string: unreadable
    EXPECT_TRUE(Run());
    EXPECT_FALSE(KeyExists("\\Software\\Good"));
    EXPECT_TRUE(ValueExists("\\Software\\Bad", "V"));
    EXPECT_FALSE(KeyExists(kKeys));
    EXPECT_EQ(Notices().front(), "Some or all of the registry keys could not could not be removed");
    EXPECT_TRUE(view.Ticked(uninstall::TPhaseBox::pbRegistry));
}

TEST_F(RegistryKeysTest, PathsDifferingInCaseSortTogetherSoChildrenGoFirst) {
    PutString("\\Software\\a", "V", "1");
    PutString("\\Software\\A\\b", "W", "1");
    PutString("\\Software\\B", "X", "1");
    Record("1", "\\Software\\B", 4, {"X"});
    Record("2", "\\Software\\a", 4, {"V"});
    Record("3", "\\SOFTWARE\\A\\b", 4, {"W"});
    Create();
    EXPECT_TRUE(form->RemoveRegistryKeys());
    EXPECT_FALSE(KeyExists("\\Software\\A"));
    EXPECT_FALSE(KeyExists("\\Software\\B"));
}

TEST_F(RegistryKeysTest, WithoutARecordNothingHappensAndTrueComesBack) {
    PutString("\\Software\\A", "V", "1");
    Create();
    EXPECT_TRUE(form->RemoveRegistryKeys());
    EXPECT_TRUE(KeyExists("\\Software\\A"));
}
