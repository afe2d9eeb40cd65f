// The specifiers of places the object's container knows: its archive file and its destination.
#include "paths/InstallTree.h"
#include "paths/StandardSpecifiers.h"
#include "routines/routines_Text.h"

namespace tarn::paths {

namespace {

IInstallNode& RequireNode(TComponent* object, const std::string& identifier) {
    auto* node = dynamic_cast<IInstallNode*>(object);
    if (!node)
        throw IEPathSpecifier(SMustBeInstallObject, object ? object->Name() : std::string(),
                              "TInstallObject", identifier);
    return *node;
}

} // namespace

TpsContainerArchiveFile::TpsContainerArchiveFile(TComponent* owner)
    : TTextedPathSpecifier(owner, "psContainerArchiveFile",
                           "Path to the archive file of the container", "Container archive file") {}

void TpsContainerArchiveFile::CheckObject(TComponent* object) {
    IInstallNode& node = RequireNode(object, Identifier());
    IInstallNode* container = node.Container();
    if (!container) throw IEPathSpecifier(SArchiveFileNoContainer, object->Name());
    if (!container->IsFileRelated())
        throw IEPathSpecifier(SArchiveFileNotFileRelated, object->Name());
}

std::string TpsContainerArchiveFile::ExpandPath(TComponent* object) {
    CheckObject(object);
    return ExcludeBackslash(dynamic_cast<IInstallNode&>(*object).Container()->GetArchiveFile());
}

TpsContainerDestDir::TpsContainerDestDir(TComponent* owner)
    : TTextedPathSpecifier(owner, "psContainerDestDir", "Path of the group (container)",
                           "Path of the group (container)") {}

void TpsContainerDestDir::CheckObject(TComponent* object) {
    IInstallNode& node = RequireNode(object, Identifier());
    if (!node.Container()) throw IEPathSpecifier(SDestDirNoContainer, object->Name());
}

std::string TpsContainerDestDir::ExpandPath(TComponent* object) {
    CheckObject(object);
    return ExcludeBackslash(dynamic_cast<IInstallNode&>(*object).Container()->GetDestination());
}

std::string TpsContainerDestDir::GetObjectDescription(TComponent* object) {
    try {
        CheckObject(object);
        IInstallNode* container = dynamic_cast<IInstallNode&>(*object).Container();
        switch (container->NodeKind()) {
        case IInstallNode::Kind::Install:
            return "Main installation directory";
        case IInstallNode::Kind::Group:
            return Format("Path of the <%s> group", container->Caption());
        case IInstallNode::Kind::FileContainer:
            return Format("Path of the <%s> directory", container->Caption());
        case IInstallNode::Kind::Other:
            break;
        }
        return Format("Path of the <%s> group", container->NodeComponent().Name());
    } catch (const std::exception&) {
        return GetDescription();
    }
}

std::string TpsContainerDestDir::GetObjectCaption(TComponent* object) {
    try {
        CheckObject(object);
        IInstallNode* container = dynamic_cast<IInstallNode&>(*object).Container();
        switch (container->NodeKind()) {
        case IInstallNode::Kind::Install:
            return "Main installation directory";
        case IInstallNode::Kind::Group:
        case IInstallNode::Kind::FileContainer:
            return Format("<%s>", container->Caption());
        case IInstallNode::Kind::Other:
            break;
        }
        return Format("<%s>", container->NodeComponent().Name());
    } catch (const std::exception&) {
        return GetDescription();
    }
}

} // namespace tarn::paths
