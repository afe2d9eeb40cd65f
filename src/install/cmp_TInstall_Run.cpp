// The command line, the run mode a loaded form picks, and the install run with its stages.
#include "archive/ArchivePaths.h"
#include "archive/cmp_TTarnCompress.h"
#include "framework/Application.h"
#include "framework/Form.h"
#include "framework/TextCase.h"
#include "install/cmp_TInstall.h"
#include "platform/Platform.h"
#include "routines/routines_FileSystem.h"
#include "routines/routines_Text.h"
#include "translator/cmp_TTranslator.h"

#include <cctype>

namespace tarn::install {

namespace {

// Notifications of the run, sent down to the helpers.
enum : int {
    nfReadInfoBegins = -984,
    nfReadInfoEnds = -983,
    nfRunBegins = -986,
    nfRunBegins2 = -980,
    nfAbort = -994,
    nfAbort2 = -978,
    nfFinish = -995,
    nfFinish2 = -979,
};

struct Stage {
    int code;
    const char* caption;
};
// Not numeric order: shell links before INI files, 9052 before 9050.
constexpr Stage kStages[] = {
    {2750, "Installing ODBC drivers..."},
    {2875, "Installing ODBC sources..."},
    {3000, "Installing Borland Database Engine aliases..."},
    {7000, "Installing shell links..."},
    {8000, "Installing shell links..."},
    {4000, "Installing INI files..."},
    {8500, "Installing registry keys..."},
    {8700, ""},
    {9052, ""},
    {9050, ""},
    {9054, ""},
};

bool Blank(const std::string& text) {
    return text.find_first_not_of(" \t\r\n") == std::string::npos;
}

std::string Translated(std::string_view text) {
    return translator::TranslateText(std::string(text));
}

} // namespace

void TCustomInstall::ParseCommandLine() {
    switches_.fill(false);
    for (std::string& value : switchValues_)
        value.clear();
    for (const std::string& parameter : Application().Params) {
        if (parameter.size() < 2 || (parameter[0] != '-' && parameter[0] != '*'))
            throw IException(SInvalidParameter, parameter);
        const char letter =
            static_cast<char>(std::tolower(static_cast<unsigned char>(parameter[1])));
        int index = -1;
        for (int i = 0; i < kSwitchCount; ++i)
            if (kSwitchLetters[i] == letter) index = i;
        if (index < 0) {
            if (parameter[0] == '-') throw IException(SInvalidParameter, parameter);
            continue; // a "*" parameter of the front end's own
        }
        switches_[index] = true;
        switchValues_[index] = parameter.substr(2);
    }
}

void TCustomInstall::Loaded() {
    TFileContainer::Loaded();
    if (distributeType_ != 0 && !NetLocation()) throw IEInstallNetLocNil(SNeedNetLocation);
    if (ComponentState().Contains(csDesigning)) return;
    ParseCommandLine();
    if (HasSwitch(swDebug) && (!HasSwitch(swSource) || Blank(SwitchValue(swSource))))
        throw IEInstall(SForgotBuildDirectory);
    if (HasSwitch(swSource))
        sourceFolder_ = SwitchValue(swSource);
    else
        sourceFolder_ = ExcludeBackslash(archive::ExtractFilePath(ProgramPath()));
    InstallRecordKey = FindInstallRecord(false);

    form_ = Application().MainForm;
    if (!form_) form_ = dynamic_cast<TCustomForm*>(Owner());
    if (!form_ && AutoRun) throw IEInstall(SNoMainForm);
    if (form_) form_->FreeNotification(this);

    // A run mode works on the whole tree: the rest of the form finishes loading first.
    if (TComponent* owner = Owner()) owner->EndLoading();
    if (HasSwitch(swBuild)) {
        BuildFromBuildInf();
        Application().Terminate();
    } else if (HasSwitch(swFloppies)) {
        TransferToFloppies("a:");
        Application().Terminate();
    } else if (HasSwitch(swReboot)) {
        ContinueAfterReboot();
    } else if (form_) {
        if (form_->PlainForm()) {
            savedActivate_ = form_->OnActivate;
            handlerSaved_ = true;
            form_->OnActivate = [this](TComponent& sender) { FormActivated(sender); };
        }
        if (hideForm_) {
            form_->Left = -2 * form_->Width;
            form_->Top = -2 * form_->Height;
        }
    }
}

void TCustomInstall::ApplySelfExtractOffset() {
    if (!HasSwitch(swSelfExtract)) return;
    TSelfExtractTrailer trailer;
    ReadSelfExtractTrailer(GetArchiveFile(), trailer);
    GlobalCompress().SetOffset(trailer.Files1First);
}

void TCustomInstall::FormActivated(TComponent& sender) {
    if (activated_) {
        if (savedActivate_) savedActivate_(sender);
        return;
    }
    if (savedActivate_) savedActivate_(sender);
    activated_ = true;
    if (maximized_ && form_) form_->Maximized = true;
    if (!AutoRun) return;
    if (handlerSaved_ && form_ && !ComponentState().Contains(csDestroying)) {
        form_->OnActivate = savedActivate_;
        handlerSaved_ = false;
    }
    try {
        Install();
    } catch (const std::exception& error) {
        Application().HandleException(this, error);
    }
}

void TCustomInstall::ShowStatus(const std::string& text) {
    if (Progress) Progress->Status(text);
}

void TCustomInstall::ReadFileInformation() {
    if (OnBeforeReadFileInfo) OnBeforeReadFileInfo(*this);
    NotifyHelpers(this, nfReadInfoBegins, nullptr);
    ShowStatus(Translated(SReadingFileInfo));
    {
        platform::UI().SetBusy(true);
        struct Idle {
            TCustomInstall& install;
            ~Idle() {
                platform::UI().SetBusy(false);
                install.ShowStatus("");
            }
        } idle{*this};
        ReadInfoFromArchives();
        if (distributeType_ != 0) ReadFileList();
    }
    if (OnAfterReadFileInfo) OnAfterReadFileInfo(*this);
    NotifyHelpers(this, nfReadInfoEnds, nullptr);
}

void TCustomInstall::InstallStage(int code, const std::string& caption) {
    bool shown = false;
    struct Clear {
        TCustomInstall& install;
        bool& shown;
        ~Clear() {
            if (shown) install.ShowStatus("");
        }
    } clear{*this, shown};
    for (std::size_t i = 0; i < InstallContainerList()->All().size(); ++i) {
        TInstallContainer* node = InstallContainerList()->All()[i];
        if (node->RegisteredType() != code) continue;
        if (!shown && !Blank(caption)) {
            ShowStatus(Translated(caption));
            shown = true;
        }
        node->Install();
    }
}

void TCustomInstall::Install() {
    cancelled_ = false;
    InstallStartTime = NowAsDayCount();
    RaiseRegistrationErrors = false;
    RetryRegistrationList()->Clear();
    unfinishedCount_ = 0;
    cleanupPending_ = false;
    running_ = true;
    overallDone_ = 0;
    ForgetRecordIndex();

    if (useLoadingProgram_ && !HasSwitch(swSource)) throw IEInstall(SNoLoadingProgramPath);
    if (HasSwitch(swForget)) ClearUnfinished();
    InstallRecordKey = FindInstallRecord(true);
    ClearUnfinished();
    ApplySelfExtractOffset();
    ReadFileInformation();
    if (OnBeforeInstall) OnBeforeInstall(*this);
    NotifyHelpers(this, nfRunBegins, nullptr);
    NotifyHelpers(this, nfRunBegins2, nullptr);
    if (cancelled_) return;

    overallTotal_ = DeepSize(false);
    try {
        TFileContainer::InstallHelpers();
        for (int i = 0; i < RetryRegistrationList()->Count(); ++i)
            RetryRegistrationList()->Items(i)->Register();
        for (const Stage& stage : kStages)
            InstallStage(stage.code, stage.caption);
        if (buildInfo_->AddUninstallOnCreate) ListForUninstall();
    } catch (...) {
        if (OnInstallFinished) OnInstallFinished(*this, GlobalCompress().Abort());
        throw;
    }
    if (OnInstallFinished) OnInstallFinished(*this, GlobalCompress().Abort());
    if (unfinishedCount_ > 0 || rebootNeeded_) RegisterRunOnce();
    if (rebootNeeded_) {
        RebootAndEnd();
        return;
    }
    FinishRun();
}

void TCustomInstall::FinishRun() {
    NotifyFinish();
    CleanupTemporaryCopy();
    RemoveInstallRecord();
    if (AutoRun) AskTerminate();
    LaunchPrograms();
    running_ = false;
}

void TCustomInstall::AskTerminate() {
    bool terminate = true;
    if (OnQueryTerminate) OnQueryTerminate(*this, terminate);
    if (terminate) Application().Terminate();
}

void TCustomInstall::NotifyAbort() {
    if (OnBeforeAbort) OnBeforeAbort(*this);
    NotifyHelpers(this, nfAbort, nullptr);
    NotifyHelpers(this, nfAbort2, nullptr);
    if (OnAfterAbort) OnAfterAbort(*this);
}

void TCustomInstall::NotifyFinish() {
    if (OnBeforeFinish) OnBeforeFinish(*this);
    NotifyHelpers(this, nfFinish, nullptr);
    NotifyHelpers(this, nfFinish2, nullptr);
    if (OnAfterFinish) OnAfterFinish(*this);
}

void TCustomInstall::HandleException(TComponent*, const std::exception& error) {
    if (!running_) {
        Application().ShowException(error);
        return;
    }
    running_ = false;
    cancelled_ = true;
    try {
        if (dynamic_cast<const EAIUserAbort*>(&error)) {
            NotifyAbort();
            CleanupTemporaryCopy();
            RemoveInstallRecord();
            if (AutoRun) AskTerminate();
        } else {
            NotifyAbort();
            Application().ShowException(error);
            AskTerminate();
        }
    } catch (const std::exception&) {
        if (AutoRun) Application().Terminate();
    }
}

void TCustomInstall::LaunchPrograms() {
    TCustomInstallFileList* files = InstallFileList();
    for (int i = 0; i < files->Count(); ++i) {
        TCustomInstallFile* file = files->Items(i);
        if (file->LaunchKinds.Empty()) continue;
        TNumberSet kinds;
        for (int k = 0; k < 8; ++k)
            if (file->LaunchKinds.Contains(k)) {
                kinds.Include(k);
                break;
            }
        if (OnQueryLaunch) OnQueryLaunch(*this, *file, kinds);
        bool shared = false;
        for (int k = 0; k < 8 && !shared; ++k)
            shared = kinds.Contains(k) && file->LaunchKinds.Contains(k);
        if (!shared) continue;
        TProgramLauncher launcher;
        launcher.FileName = file->FullDestination();
        launcher.Parameters = file->LaunchParameters;
        launcher.ShowMode = smNormal;
        launcher.Execute();
    }
}

void TCustomInstall::DoInformationEventControl(TComponent* sender, int code, TObject* parameter) {
    TFileContainer::DoInformationEventControl(sender, code, parameter);
    if (!Progress) return;
    switch (code) {
    case ieExtractStatus:
    case ieCopyStatus:
        if (auto* list = dynamic_cast<TList*>(parameter); list && list->Count() >= 2)
            if (auto* status = dynamic_cast<TFileStatusParameter*>(list->Items(1))) {
                const std::int64_t done = overallDone_ + status->FileBytesDone;
                Progress->Progress(done, overallTotal_);
                if (status->Stats.Finished) overallDone_ += status->Stats.OriginalSize;
            }
        break;
    case ieNotCopied:
        keptFile_ = parameter;
        break;
    case ieFileInstalled:
        if (auto* file = dynamic_cast<TCustomInstallFile*>(parameter)) {
            const std::string path = file->FinalDestination();
            if (keptFile_ == parameter)
                Progress->Action("kept", path);
            else
                Progress->Action(file->ReplaceAtReboot ? "replaced at restart" : "installed", path);
            if (file->SharedFile) Progress->Action("count raised", path);
            if (file->RegisterActiveX() && !file->ReplaceAtReboot)
                Progress->Action("registered", path);
            if (file->RecordForUninstall) Progress->Action("recorded", path);
        }
        keptFile_ = nullptr;
        break;
    default:
        break;
    }
}

} // namespace tarn::install
