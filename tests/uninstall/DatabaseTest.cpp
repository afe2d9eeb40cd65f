// The database engine phases: aliases through the engine, and the engine's use count.
#include "UninstallFixture.h"

using namespace tarn;
using namespace tarn::test;

namespace {
const std::string kAliases = kRecord + "\\Aliases";
const std::string kBde = kRecord + "\\BDE";
} // namespace

TEST_F(UninstallTest, EachAliasIsDeletedInTheOemCodePageAndTheConfigurationSavedOnce) {
    PutKey(kAliases + "\\Orders");
    PutKey(kAliases + "\\Stock");
    PutKey(kAliases + "\\Caf\xE9");
    Create();
    form->RemoveAliases();
    EXPECT_EQ(engine.calls, (std::vector<std::string>{"init 500", "delete Caf\x82", "delete Orders",
                                                      "delete Stock", "save 1", "exit"}));
    EXPECT_FALSE(KeyExists(kAliases));
}

TEST_F(UninstallTest, WithoutAliasesTheEngineIsOnlyStartedAndShutDown) {
    Create();
    form->RemoveAliases();
    EXPECT_EQ(engine.calls, (std::vector<std::string>{"init 500", "exit"}));
}

TEST_F(UninstallTest, AnEngineThatDoesNotStartLeavesTheAliasesRecorded) {
    engine.initResult = platform::DBIERR_NOT_AVAILABLE;
    PutKey(kAliases + "\\Orders");
    Create();
    form->RemoveAliases();
    EXPECT_EQ(engine.calls, (std::vector<std::string>{"init 500"}));
    EXPECT_TRUE(KeyExists(kAliases + "\\Orders"));
}

TEST_F(UninstallTest, AUseCountAboveTheProductsUsesIsLowered) {
    PutString(kBde, "Entries", "2");
    PutString(uninstall::kEngineKey, "UseCount", "5");
    Create();
    form->RemoveDatabaseEngine();
    EXPECT_EQ(String(uninstall::kEngineKey, "UseCount"), "3");
    EXPECT_TRUE(Questions().empty());
    EXPECT_TRUE(KeyExists(kBde)); // goes with the record
}

TEST_F(UninstallTest, AnIntegerUseCountIsReadAndALastUseAsks) {
    PutString(kBde, "Entries", "2");
    PutInteger(uninstall::kEngineKey, "UseCount", 2);
    ui.Answer(false);
    Create();
    form->RemoveDatabaseEngine();
    EXPECT_EQ(Questions(), (std::vector<std::string>{
                               "Uninstall has determined that the Borland Database Engine is no "
                               "longer used by an application. Is it o.k. to delete it?"}));
    EXPECT_TRUE(KeyExists(uninstall::kEngineKey));
    EXPECT_TRUE(ValueExists(uninstall::kEngineKey, "UseCount"));
}

TEST_F(UninstallTest, WithoutEntriesTheCountIsWrittenBackAsText) {
    PutKey(kBde);
    PutInteger(uninstall::kEngineKey, "UseCount", 1);
    Create();
    form->RemoveDatabaseEngine();
    EXPECT_EQ(String(uninstall::kEngineKey, "UseCount"), "1");
}

TEST_F(UninstallTest, YesRemovesTheEngineKeysAndConfigurationButNotOtherBorlandKeys) {
    PutString(kBde, "Entries", "1");
    PutString(uninstall::kEngineKey, "UseCount", "0");
    PutString(uninstall::kEngineKey, "CONFIGFILE01", "C:\\BDE\\IDAPI.CFG");
    PutKey(uninstall::kBlw32Key);
    PutKey("\\Software\\Borland\\Delphi");
    PutFile("C:\\BDE\\IDAPI.CFG");
    ui.Answer(true);
    Create();
    form->RemoveDatabaseEngine();
    EXPECT_FALSE(Exists("C:\\BDE\\IDAPI.CFG"));
    EXPECT_FALSE(KeyExists(uninstall::kEngineKey));
    EXPECT_FALSE(KeyExists(uninstall::kBlw32Key));
    EXPECT_TRUE(KeyExists("\\Software\\Borland"));
    EXPECT_EQ(form->RemovedDirs()[0], "C:\\BDE");
}

TEST_F(UninstallTest, TheBorlandKeyGoesWhenNothingElseIsInIt) {
    PutString(kBde, "Entries", "x"); // not a number: 0
    PutString(uninstall::kEngineKey, "UseCount", "bad");
    ui.Answer(true);
    Create();
    form->RemoveDatabaseEngine();
    EXPECT_FALSE(KeyExists("\\Software\\Borland"));
}

TEST_F(UninstallTest, ARefusedUseCountWriteStopsTheRun) {
    PutString(kBde, "Entries", "1");
    PutString(uninstall::kEngineKey, "UseCount", "4");
    machine->GetFaults().refuseValueWriteKeys.push_back(
        "HKEY_LOCAL_MACHINE\\Software\\Borland\\Database Engine");
    EXPECT_FALSE(Run());
    EXPECT_EQ(Errors(), (std::vector<std::string>{"Failed to set data for 'UseCount'"}));
    EXPECT_FALSE(view.Ticked(uninstall::TPhaseBox::pbBDE));
    EXPECT_TRUE(KeyExists(kBde));
}
