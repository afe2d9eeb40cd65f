// Stand-ins for the install component and the install tree, as the path specifiers see them.
#pragma once

#include "framework/Component.h"
#include "paths/InstallTree.h"

#include <string>

namespace tarn::test {

class FakeNode : public TComponent, public paths::IInstallNode {
public:
    FakeNode(TComponent* owner, const std::string& name, Kind kind, bool fileRelated = true)
        : TComponent(owner), kind_(kind), fileRelated_(fileRelated) {
        SetName(name);
    }

    TComponent& NodeComponent() override { return *this; }
    Kind NodeKind() const override { return kind_; }
    bool IsFileRelated() const override { return fileRelated_; }
    IInstallNode* Container() const override { return container; }
    std::string Caption() const override { return caption; }
    std::string GetDestination() override { return destination; }
    std::string GetArchiveFile() override { return archive; }

    IInstallNode* container = nullptr;
    std::string caption;
    std::string destination;
    std::string archive;

private:
    Kind kind_;
    bool fileRelated_;
};

// The install component: a node of kind Install that registers itself while it lives.
class FakeInstall : public FakeNode, public paths::IInstallDriver {
public:
    explicit FakeInstall(TComponent* owner) : FakeNode(owner, "Install1", Kind::Install) {
        paths::SetCurrentInstallDriver(this);
    }
    ~FakeInstall() override { paths::SetCurrentInstallDriver(nullptr); }

    paths::IInstallNode& Node() override { return *this; }
    std::string SourceDir() override { return sourceDir; }
    bool SelfExtracting(std::string& value) override {
        value = selfExtractName;
        return selfExtracting;
    }

    std::string sourceDir = "A:\\";
    bool selfExtracting = false;
    std::string selfExtractName;
};

} // namespace tarn::test
