// A fresh machine with the install units started, a form, a stand-in for the install component
// and install objects that record what reaches them.
#pragma once

#include "framework/Form.h"
#include "install/cmp_TInstallContainer.h"
#include "install/cmp_TInstallContainer_Stored.h"
#include "install/cmp_TNetInstallLocation.h"
#include "paths/StandardSpecifiers.h"
#include "support/TempMachine.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tarn::test {

// The install component as the tree needs it: the root file container that installs into a
// folder of its own and registers itself while it lives.
class StandInDriver : public install::TFileContainer,
                      public install::IInstallRunner,
                      public paths::IInstallDriver {
public:
    static constexpr std::string_view kClassName = "TStandInDriver";
    explicit StandInDriver(TComponent* owner) : TFileContainer(owner) {
        install::SetGlobalInstallDriver(this);
        paths::SetCurrentInstallDriver(this);
    }
    ~StandInDriver() override {
        install::SetGlobalInstallDriver(nullptr);
        paths::SetCurrentInstallDriver(nullptr);
    }
    std::string_view ClassName() const override { return kClassName; }
    Kind NodeKind() const override { return Kind::Install; }
    std::string GetDestination() override { return mainFolder; }

    install::TFileContainer& RunnerNode() override { return *this; }
    bool Running() const override { return running; }
    std::string ProductName() const override { return productName; }
    paths::IInstallNode& Node() override { return *this; }
    std::string SourceDir() override { return sourceDir; }
    bool SelfExtracting(std::string&) override { return false; }

    std::string mainFolder = "C:\\Program Files\\Acme";
    std::string sourceDir = "A:\\";
    std::string productName = "Acme Tools";
    bool running = false;
};

// An install object of another kind: it writes down every notification it receives.
class RecordingObject : public install::TInstallObject {
public:
    static constexpr std::string_view kClassName = "TRecordingObject";
    explicit RecordingObject(TComponent* owner, std::vector<std::string>* log = nullptr,
                             int type = 3000)
        : TInstallObject(owner), log_(log), type_(type) {
        InstallWithContainer = true;
    }
    std::string_view ClassName() const override { return kClassName; }
    int RegisteredType() const override { return type_; }
    void HandleNotification(TComponent* sender, int code, TObject*) override {
        if (log_) log_->push_back(Name() + " " + std::to_string(code) + " from " + sender->Name());
    }
    void RecordForUninstaller(const std::string& key) override { recordedUnder = key; }

    std::string recordedUnder;

private:
    std::vector<std::string>* log_;
    int type_;
};

// An install file with a size and nothing else of its own.
class SizedFile : public install::TCustomInstallFile {
public:
    explicit SizedFile(TComponent* owner, std::int64_t size = 0, std::string source = "")
        : TCustomInstallFile(owner) {
        FileSize = size;
        SourceFileName = std::move(source);
    }
    // The tree's own tests: no container rule, no archive, nothing extracted.
    void SetContainer(install::TInstallContainer* container) override {
        TFileRelated::SetContainer(container);
    }
    void ReadInfoFromArchive() override {}
    void InstallHelpers() override {}
};

// The install classes and the stand-ins above, as the stored forms of the tests name them.
inline TClassRegistry& TestClasses() {
    static TClassRegistry registry;
    static bool done = false;
    if (!done) {
        done = true;
        install::RegisterInstallClasses(registry);
        registry.RegisterClass<StandInDriver>("TStandInDriver", "TFileContainer");
        registry.RegisterClass<SizedFile>("TSizedFile", "TCustomInstallFile");
    }
    return registry;
}

struct TreeTest : ::testing::Test {
    TempMachine machine;
    paths::PathSpecifierUnit specifiers;
    install::NetInstallLocationUnit locations;
    install::InstallContainerUnit containers;
    std::unique_ptr<TForm> form = std::make_unique<TForm>(nullptr);

    template <class T, class... A> T* Make(const std::string& name, A&&... args) {
        T* node = Create<T>(form.get(), std::forward<A>(args)...);
        node->SetName(name);
        return node;
    }
    StandInDriver* Driver() { return Make<StandInDriver>("Install1"); }

    template <class E, class F> static std::string Message(F&& call) {
        try {
            call();
        } catch (const E& e) {
            return e.Message();
        }
        return "(no error)";
    }
};

} // namespace tarn::test
