// What the path specifiers ask of the install component and the install tree. The install
// component and the containers implement these; until one exists, the specifiers that need it
// refuse with their "no TInstall component" message.
#pragma once

#include <string>

namespace tarn {
class TComponent;
}

namespace tarn::paths {

// A node of the install tree (a TInstallObject): containers, groups, files and the install
// component itself. Found on a component with dynamic_cast.
class IInstallNode {
public:
    enum class Kind {
        Install,       // the install component
        Group,         // a TCustomInstallGroup
        FileContainer, // a TFileContainer
        Other
    };

    virtual ~IInstallNode() = default;

    virtual TComponent& NodeComponent() = 0;
    virtual Kind NodeKind() const = 0;
    // A TFileRelated descendant (something with files and an archive).
    virtual bool IsFileRelated() const = 0;
    // The container the node is placed in, or nullptr.
    virtual IInstallNode* Container() const = 0;
    // The name shown for the node.
    virtual std::string Caption() const = 0;
    // The expanded destination pair.
    virtual std::string GetDestination() = 0;
    // The expanded archive pair.
    virtual std::string GetArchiveFile() = 0;
};

// The install component of the process (a TCustomInstall), as the specifiers see it.
class IInstallDriver {
public:
    virtual ~IInstallDriver() = default;

    virtual IInstallNode& Node() = 0;
    // The folder the install was run from.
    virtual std::string SourceDir() = 0;
    // True in self-extracting mode (-e); value is then the switch's value.
    virtual bool SelfExtracting(std::string& value) = 0;
};

// The single install component, or nullptr. Set by the install component while it lives.
IInstallDriver* CurrentInstallDriver();
void SetCurrentInstallDriver(IInstallDriver* driver);

} // namespace tarn::paths
