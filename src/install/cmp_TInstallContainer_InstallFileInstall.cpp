// A file's install: the overwrite decision, extraction from its archive, and the steps that run
// whether or not it was copied (help registration, shared count, component registration).
#include "archive/ScopeExit.h"
#include "archive/cmp_TTarnCompress.h"
#include "framework/FileExists.h"
#include "install/cmp_TInstallContainer.h"
#include "install/cmp_TInstallContainer_InstallFile.h"
#include "install/cmp_TInstallContainer_InstallFileText.h"
#include "platform/Platform.h"
#include "routines/cmp_TTarnRegistry.h"
#include "routines/routines_Registry.h"
#include "routines/routines_Text.h"
#include "translator/cmp_TTranslator.h"

namespace tarn::install {

namespace {

constexpr const char* kHelpKey = "\\SOFTWARE\\Microsoft\\Windows\\Help";

} // namespace

void TCustomInstallFile::InstallHelpers() {
    ReplaceAtReboot = false;
    TInstallContainer* container = GetContainer();
    try {
        if (container) container->DoInformationEventControl(this, ieBeforeInstall, this);
        if (OnBeforeInstall) OnBeforeInstall(*this);
    } catch (const EAbort&) {
        if (container) container->DoInformationEventControl(this, ieInstallCancelled, this);
        // Passed on so that the tree neither marks the file installed nor records it.
        throw;
    }
    if (Blank(GetDestination())) throw IECustomInstallFile(SBlankDestination, Name());

    const std::string target = FullDestination();
    DestinationExisted = FileExists(target);
    CopyThisFile = false;
    bool copy = false;
    switch (version::TVersionResource::IsFileNewerThan(Version, FileDate, target, Overwrite)) {
    case version::cmpFailed:
    case version::cmpNewFileNewer:
        copy = true;
        break;
    case version::cmpAsk:
        copy = platform::UI().Confirm(
            "", Format(translator::TranslateText(std::string(SCopyThisFile)), SourceFileName));
        break;
    default:
        break;
    }
    if (copy) {
        try {
            PrepareReplace();
        } catch (const EAbort&) {
            copy = false;
            CopyThisFile = false;
        }
    }
    if (!copy) {
        if (container) container->DoInformationEventControl(this, ieNotCopied, this);
        AfterInstallSteps();
        FinishInstall();
        return;
    }

    std::string recorded;
    if (FindLocalFile(recorded)) LocalFile = recorded;
    const int type = DistributeType();
    std::unique_ptr<archive::TTarnCompress> own;
    archive::TTarnCompress* shared = nullptr;
    if (type != 0 && (NetFile() || type == 1)) {
        if (HasOwnArchive()) {
            Download();
        } else if (auto* files = dynamic_cast<TFileContainer*>(container);
                   files && !files->IsArchiveLocal()) {
            files->Download();
        }
    } else if (IFileInstallDriver* driver = FileInstallDriver();
               driver && SameTextAnsi(GetArchiveFile(), driver->ArchiveFile())) {
        shared = &GlobalCompress();
    }
    if (!shared) own = std::make_unique<archive::TTarnCompress>(nullptr);
    Extract(shared ? *shared : *own);
}

void TCustomInstallFile::Extract(archive::TTarnCompress& compress) {
    Operation = 2;
    archive::ScopeExit idle([this] { Operation = 0; });
    archive::ForceDirectories(GetDestination());
    const std::string archiveFile = GetArchiveFile();
    if (Blank(archiveFile)) throw IECustomInstallFile(SBlankArchive, SourceFileName);
    {
        archive::ScopeExit unhook([&compress] {
            compress.OnAborted = nullptr;
            compress.OnNewDisk = nullptr;
            compress.OnStatus = nullptr;
            if (compress.Abort()) GlobalCompress().SetAbort(true);
        });
        compress.SetCompressedFile(archiveFile);
        compress.SetExtractDirectory(GetDestination());
        compress.SetTargetName(DestFileName());
        compress.SetOverwrite(Overwrite);
        compress.OnAborted = [this](archive::TTarnCompress&) { AbortInstall(); };
        compress.OnNewDisk = [this](archive::TTarnCompress& sender, int disk, std::string& path) {
            DiskHandler(sender, disk, path);
        };
        compress.OnStatus = [this](archive::TTarnCompress& sender,
                                   const archive::TlzhFileStats& stats) {
            StatusHandler(sender, stats);
        };
        compress.FilesToProcess().Clear();
        compress.FilesToProcess().Add(ArchiveMemberName());
        compress.ExtractFiles();
        AfterInstallSteps();
        FinishInstall();
    }
    try {
        NotifyHelpers(this, nfOperationEnds, nullptr);
    } catch (...) {
        compress.SetAbort(true);
        throw;
    }
}

void TCustomInstallFile::FinishInstall() {
    if (OnAfterInstall) OnAfterInstall(*this);
    if (TInstallContainer* container = GetContainer())
        container->DoInformationEventControl(this, ieFileInstalled, this);
    TInstallContainer::InstallHelpers(); // the file's own helpers
}

void TCustomInstallFile::AfterInstallSteps() {
    IInstallRunner* runner = GlobalInstallDriver();
    const std::string record =
        runner && RecordForUninstall ? kUninstallKey + runner->ProductName() : std::string();
    if (HelpFile) {
        const std::string name = UpperCaseAnsi(DestFileName());
        WriteRegistryString(rcLocalMachine, kHelpKey, name, GetDestination());
        // The help entry is listed with the product's registry entries, so that the uninstaller
        // takes it away again; one entry per help file, however often it is installed.
        if (!record.empty()) {
            const std::string entry = record + "\\RegistryKeys\\Help " + name;
            WriteRegistryString(rcLocalMachine, entry, "Key", kHelpKey);
            WriteRegistryInteger(rcLocalMachine, entry, "Root", rcLocalMachine);
            WriteRegistryString(rcLocalMachine, entry + "\\Entries", name, "");
        }
    }
    if (SharedFile) {
        // Counted once per product: a file its record lists was counted by an earlier run. The
        // entry follows the count at once, so that a run stopped in between is rare to leave
        // a count no record lowers again.
        if (record.empty() || !ListedForUninstall(record)) {
            if (!IncrementSharedCount())
                throw IECustomInstallFile(SSharedCountFailed, SourceFileName);
            if (!record.empty()) RecordForUninstaller(record);
        }
    }
    IFileInstallDriver* driver = FileInstallDriver();
    if (ReplaceAtReboot && driver) {
        // The component is registered once it is in place, after the reboot.
        driver->AddUnfinished(Name(), 0);
    } else if (RegisterActiveX()) {
        try {
            Register();
        } catch (const Exception&) {
            // Its dependencies may come later in the run; the driver tries once more at the end.
            if (RaiseRegistrationErrors) throw;
            if (auto* list = RetryRegistrationList()) list->Add(this);
        }
    }
}

} // namespace tarn::install
