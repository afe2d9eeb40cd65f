// The install file's properties: the rules that tie its source, kind, destination and
// registration together, its paths, and where its archive comes from.
#include "archive/ArchivePaths.h"
#include "archive/ScopeExit.h"
#include "framework/TextCase.h"
#include "install/cmp_TInstallContainer.h"
#include "install/cmp_TInstallContainer_InstallFile.h"
#include "install/cmp_TInstallContainer_InstallFileText.h"
#include "paths/StandardSpecifiers.h"
#include "routines/routines_Text.h"
#include "version/VersionBlock.h"
#include "version/VersionInfoReader.h"

namespace tarn::install {

namespace {

// Components whose overwrite rule and kind follow their destination.
bool IsBinaryExtension(const std::string& ext) {
    return ext.size() == 4 && (ext == ".DLL" || ext == ".OCX" || ext == ".BLL" || ext == ".EXE");
}

bool SourceHasOLESelfRegister(const std::string& path) {
    std::vector<std::uint8_t> resource;
    if (!version::ReadFileVersionResource(path, resource)) return false;
    version::VersionBlock block;
    if (!block.Parse(resource)) return false;
    const version::VersionNode* translation = block.Find("\\VarFileInfo\\Translation");
    if (!translation || translation->value.size() < 4) return false;
    const auto& v = translation->value;
    const auto language = static_cast<std::uint16_t>(v[0] | v[1] << 8);
    const auto codePage = static_cast<std::uint16_t>(v[2] | v[3] << 8);
    return block.Find(version::StringTablePath(language, codePage) + "OLESelfRegister") != nullptr;
}

} // namespace

IFileInstallDriver* FileInstallDriver() {
    return dynamic_cast<IFileInstallDriver*>(GlobalInstallDriver());
}

int DistributeType() {
    IFileInstallDriver* driver = FileInstallDriver();
    return driver ? driver->DistributeType() : 2;
}

void TCustomInstallFile::ApplyProperties(TInstallContainer* container,
                                         const std::string& sourceDirectory, bool registerActiveX,
                                         std::uint8_t fileKind,
                                         TCustomPathSpecifier* destinationSpecifier,
                                         const std::string& destFileName,
                                         const std::string& subPath,
                                         const std::string& sourceFileName) {
    const bool containerChanged = container != GetContainer();
    const bool specifierChanged = destinationSpecifier != DestinationSpecifier();
    const bool nameChanged = !SameTextAnsi(sourceFileName, SourceFileName);
    const bool folderChanged = !SameTextAnsi(sourceDirectory, SourceDirectory);
    const std::string sourcePath = IncludeBackslash(sourceDirectory) + sourceFileName;

    auto* files = dynamic_cast<TFileContainer*>(container);
    // Checked on the way in: the container's own defaults come back here with it in place.
    if (containerChanged && container && !files)
        throw IECustomInstallFile(SNotInFileContainer, Name());
    // A file without a source name yet cannot clash with another.
    if (files && (containerChanged || nameChanged || folderChanged) && !Blank(sourceFileName))
        if (TCustomInstallFile* other = files->FindFileBySource(sourcePath); other && other != this)
            throw IEfcDuplicateFile(SDuplicateFile, sourcePath);

    std::string newDestFileName = destFileName;
    if (nameChanged && !Blank(sourceFileName)) {
        newDestFileName = sourceFileName;
        Attributes = {};
        GetFileAttributeSet(sourcePath, Attributes, &SecurityAttributes);
    }

    const std::string ext = UpperExtension(sourceFileName);
    bool newActiveX = registerActiveX;
    if (nameChanged || folderChanged) {
        HelpFile = ext == ".HLP" || ext == ".CNT";
        bool selfRegistering = false;
        try {
            // The new source, not the one the fields still name.
            selfRegistering = SourceHasOLESelfRegister(sourcePath);
        } catch (const std::exception&) {
        }
        newActiveX = ext == ".OCX" || selfRegistering;
    }

    std::uint8_t newKind = fileKind;
    if (newActiveX && newActiveX != registerActiveX_) newKind = fkWindowsSystem;
    if (specifierChanged && IsBinaryExtension(ext)) {
        if (dynamic_cast<paths::TpsWindow*>(destinationSpecifier) ||
            dynamic_cast<paths::TpsBDEDLL*>(destinationSpecifier))
            Overwrite = version::owVersionDate;
        else if (dynamic_cast<paths::TpsSystem*>(destinationSpecifier))
            newKind = fkWindowsSystem;
    }
    // Shared and the overwrite rule are only ever raised here, never reset.
    if (newKind != fileKind_) {
        if (newKind == fkVersioned || newKind == fkProductSystem) {
            Overwrite = version::owVersionDate;
        } else if (newKind == fkCommonSystem || newKind == fkWindowsSystem) {
            SharedFile = true;
            Overwrite = version::owVersionDate;
        }
    }

    TInstallContainer::SetDestinationSpecifier(destinationSpecifier);
    TFileRelated::SetContainer(container);

    std::string newSubPath = subPath;
    switch (newKind) {
    case fkProductSystem:
        newSubPath = "\\System";
        TInstallContainer::SetDestinationSpecifier(StandardSpecifier<paths::TpsMainInstall>());
        break;
    case fkCommonSystem:
        newSubPath = "\\System";
        TInstallContainer::SetDestinationSpecifier(StandardSpecifier<paths::TpsCommonFiles>());
        break;
    case fkWindowsSystem:
        newSubPath.clear();
        TInstallContainer::SetDestinationSpecifier(StandardSpecifier<paths::TpsSystem>());
        break;
    default:
        break;
    }

    SourceDirectory = sourceDirectory;
    SourceFileName = sourceFileName;
    TInstallContainer::SetSubPath(newSubPath);
    destFileName_ = newDestFileName;
    fileKind_ = newKind;
    registerActiveX_ = newActiveX;
}

// The setters: while loading they store; otherwise their value goes through the rules.

void TCustomInstallFile::SetSubPath(const std::string& text) {
    if (Loading()) return TInstallContainer::SetSubPath(text);
    ApplyProperties(GetContainer(), SourceDirectory, registerActiveX_, fileKind_,
                    DestinationSpecifier(), destFileName_, text, SourceFileName);
}

void TCustomInstallFile::SetDestinationSpecifier(TCustomPathSpecifier* specifier) {
    if (Loading()) return TInstallContainer::SetDestinationSpecifier(specifier);
    ApplyProperties(GetContainer(), SourceDirectory, registerActiveX_, fileKind_, specifier,
                    destFileName_, SubPath(), SourceFileName);
}

void TCustomInstallFile::SetContainer(TInstallContainer* container) {
    if (Loading()) return TFileRelated::SetContainer(container);
    ApplyProperties(container, SourceDirectory, registerActiveX_, fileKind_, DestinationSpecifier(),
                    destFileName_, SubPath(), SourceFileName);
}

void TCustomInstallFile::SetRegisterActiveX(bool value) {
    if (Loading()) {
        registerActiveX_ = value;
        return;
    }
    ApplyProperties(GetContainer(), SourceDirectory, value, fileKind_, DestinationSpecifier(),
                    destFileName_, SubPath(), SourceFileName);
}

void TCustomInstallFile::SetDestFileName(const std::string& name) {
    if (Loading()) {
        destFileName_ = name;
        return;
    }
    ApplyProperties(GetContainer(), SourceDirectory, registerActiveX_, fileKind_,
                    DestinationSpecifier(), name, SubPath(), SourceFileName);
}

void TCustomInstallFile::SetSourceFileName(const std::string& name) {
    if (Loading()) {
        SourceFileName = name;
        return;
    }
    ApplyProperties(GetContainer(), SourceDirectory, registerActiveX_, fileKind_,
                    DestinationSpecifier(), destFileName_, SubPath(), name);
}

void TCustomInstallFile::SetFileKind(std::uint8_t kind) {
    if (kind > fkWindowsSystem) kind = fkOrdinary;
    if (Loading()) {
        fileKind_ = kind;
        return;
    }
    ApplyProperties(GetContainer(), SourceDirectory, registerActiveX_, kind, DestinationSpecifier(),
                    destFileName_, SubPath(), SourceFileName);
}

void TCustomInstallFile::SetSourceDirectory(const std::string& folder) {
    if (Loading()) {
        SourceDirectory = folder;
        return;
    }
    ApplyProperties(GetContainer(), folder, registerActiveX_, fileKind_, DestinationSpecifier(),
                    destFileName_, SubPath(), SourceFileName);
}

void TCustomInstallFile::TakeSourcePath(const std::string& path) {
    SetSourceDirectory(ExcludeBackslash(archive::ExtractFilePath(path)));
    SetSourceFileName(archive::ExtractFileName(path));
}

void TCustomInstallFile::Loaded() {
    TFileRelated::Loaded();
    // A hand-written project may name only the source: the file keeps its name, as the rules
    // give it when the source is set outside loading.
    if (destFileName_.empty()) destFileName_ = SourceFileName;
    uniqueId_.Claim();
}

bool TCustomInstallFile::HasOLESelfRegister() {
    return SourceHasOLESelfRegister(ArchiveMemberName());
}

std::string TCustomInstallFile::FullDestination() {
    return IncludeBackslash(GetDestination()) + destFileName_;
}

std::string TCustomInstallFile::FinalDestination() {
    if (!ReplaceAtReboot || replacedName_.empty()) return FullDestination();
    return IncludeBackslash(GetDestination()) + replacedName_;
}

std::string TCustomInstallFile::ArchiveMemberName() const {
    return IncludeBackslash(SourceDirectory) + SourceFileName;
}

bool TCustomInstallFile::HasOwnArchive() const {
    return NetLocation() || Overwrite == version::owVersion || Overwrite == version::owDate ||
           Overwrite == version::owVersionDate;
}

std::string TCustomInstallFile::GetArchiveFile() {
    const int type = DistributeType();
    if ((type == 1 || (type != 0 && NetFile())) && Operation == 2) {
        std::string local;
        if (HasOwnArchive() && IsArchiveLocal())
            return Blank(LocalFile) && FindLocalFile(local) ? local : LocalFile;
        if (auto* files = dynamic_cast<TFileContainer*>(GetContainer());
            files && files->IsArchiveLocal())
            return Blank(files->LocalFile) ? files->GetLocalArchive() : files->LocalFile;
    }
    return TFileRelated::GetArchiveFile();
}

void TCustomInstallFile::Process(std::uint8_t operation) {
    archive::ScopeExit idle([this] { Operation = 0; });
    switch (operation) {
    case 1:
        Compress();
        break;
    case 2:
        Install();
        break;
    case 3:
        CopyFile();
        break;
    default:
        break;
    }
}

void TCustomInstallFile::AbortInstall() {
    throw EAIUserAbort();
}

} // namespace tarn::install
