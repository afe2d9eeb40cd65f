// The install component's construction, settings and destruction.
#include "install/cmp_TInstall.h"

#include "framework/Application.h"
#include "framework/Form.h"
#include "install/cmp_TNetInstallLocation.h"
#include "paths/StandardSpecifiers.h"
#include "routines/routines_FileSystem.h"
#include "translator/cmp_TTranslator.h"

namespace tarn::install {

namespace {
TCustomInstall* current = nullptr;
} // namespace

TCustomInstall* InstallComponent() {
    return current;
}

TCustomInstall::TCustomInstall(TComponent* owner) : TFileContainer(owner) {
    if (current) throw IEInstall(STwoInstalls);
    if (!dynamic_cast<TCustomForm*>(owner)) throw IEInstall(SBadOwner);
    // Registered first: the specifiers below accept a node only while an install component is.
    current = this;
    registered_ = true;
    SetGlobalInstallDriver(this);
    paths::SetCurrentInstallDriver(this);
    Progress = DefaultInstallProgress;
    try {
        SetDefaults();
    } catch (...) {
        current = nullptr;
        SetGlobalInstallDriver(nullptr);
        paths::SetCurrentInstallDriver(nullptr);
        throw;
    }
}

void TCustomInstall::SetDefaults() {
    buildInfo_ = std::make_unique<TBuildInfo>();
    CaptionText = "TInstall component";
    SetArchiveSpecifier(StandardSpecifier<paths::TpsMainArchiveFile>());
    SetArchiveSubPath("");
    SetDestinationSpecifier(StandardSpecifier<paths::TpsProgramFiles>());
    SetSubPath("\\MyApplication");
    // These are the stored defaults: a form that names no pair keeps them.
    archiveAssigned_ = false;
    destAssigned_ = false;
}

void TCustomInstall::AfterConstruction() {
    // The install component is the root: it is placed in no container, so the attachment of a
    // node dropped on a form does not apply to it.
    TInstallContainer::AfterConstruction();
    if (ComponentState().Contains(csDesigning))
        EnsureTranslator();
    else
        Application().OnException = [this](TComponent* sender, const std::exception& error) {
            HandleException(sender, error);
        };
}

TCustomInstall::~TCustomInstall() {
    if (OnDestroyInstall) OnDestroyInstall(*this);
    if (!ComponentState().Contains(csDesigning)) {
        if (handlerSaved_ && form_ && !form_->ComponentState().Contains(csDestroying))
            form_->OnActivate = savedActivate_;
        if (Application().OnException) Application().OnException = nullptr;
    }
    if (registered_) {
        current = nullptr;
        SetGlobalInstallDriver(nullptr);
        paths::SetCurrentInstallDriver(nullptr);
    }
    if (cleanupPending_) {
        // Removes the temporary copy once this program has ended; a failed start leaves it.
        try {
            TProgramLauncher launcher;
            launcher.FileName = cleanupBatch_;
            launcher.ShowMode = smHide;
            launcher.Execute();
        } catch (const std::exception&) {
        }
    }
}

void TCustomInstall::EnsureTranslator() {
    TComponent* owner = Owner();
    if (!owner) return;
    for (int i = 0; i < owner->ComponentCount(); ++i)
        if (dynamic_cast<translator::TTranslator*>(owner->Components(i))) return;
    auto* translator = Create<translator::TTranslator>(owner);
    for (int n = 0;; ++n) {
        const std::string name = n == 0 ? "MainTranslator" : "MainTranslator" + std::to_string(n);
        if (owner->FindComponent(name)) continue;
        translator->SetName(name);
        break;
    }
}

translator::TTranslator* TCustomInstall::Translator() const {
    if (TComponent* owner = Owner())
        for (int i = 0; i < owner->ComponentCount(); ++i)
            if (auto* t = dynamic_cast<translator::TTranslator*>(owner->Components(i))) return t;
    return translator::CurrentTranslator();
}

void TCustomInstall::SetSetupFiles(const TStringList& lines) {
    TStringList kept;
    for (int i = 0; i < lines.Count(); ++i)
        if (lines.Strings(i).find_first_not_of(" \t") != std::string::npos)
            kept.Add(lines.Strings(i));
    setupFiles_.Assign(kept);
}

void TCustomInstall::SetUseLoadingProgram(bool value) {
    useLoadingProgram_ = value;
    if (value && !Loading() && !ComponentState().Contains(csDesigning)) {
        SetArchiveSpecifier(StandardSpecifier<paths::TpsMainArchiveFile>());
        SetArchiveSubPath("");
    }
}

void TCustomInstall::SetDistributeType(int value) {
    if (!Loading() && !ComponentState().Contains(csDesigning))
        throw IEInstall(SDistributeDesignOnly);
    // A form sets its references only once it is read: Loaded checks the location then.
    if (value != 0 && !NetLocation() && !Loading()) throw IEInstallNetLocNil(SNeedNetLocation);
    distributeType_ = value;
}

void TCustomInstall::SetNetLocation(TCustomNetInstallLocation* location) {
    TFileContainer::SetNetLocation(location);
    if (location)
        DefaultNetLocation = location;
    else
        distributeType_ = 0;
}

void TCustomInstall::Notification(TComponent* component, TOperation operation) {
    if (operation == opRemove && component == form_) form_ = nullptr;
    TFileContainer::Notification(component, operation);
}

void TCustomInstall::SetMaximized(bool value) {
    maximized_ = value;
    if (value && !Loading() && !ComponentState().Contains(csDesigning)) hideForm_ = false;
}

void TCustomInstall::SetHideForm(bool value) {
    hideForm_ = value;
    if (value && !Loading() && !ComponentState().Contains(csDesigning)) maximized_ = false;
}

std::string TCustomInstall::ArchiveFile() const {
    return const_cast<TCustomInstall*>(this)->GetArchiveFile();
}

bool TCustomInstall::SelfExtracting(std::string& value) {
    if (!HasSwitch(swSelfExtract)) return false;
    value = SwitchValue(swSelfExtract);
    return true;
}

} // namespace tarn::install
