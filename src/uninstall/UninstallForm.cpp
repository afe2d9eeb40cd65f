#include "uninstall/UninstallForm.h"

#include "framework/Exception.h"
#include "platform/Platform.h"
#include "routines/cmp_TTarnRegistry.h"
#include "routines/routines_API.h"
#include "routines/routines_Registry.h"
#include "uninstall/UninstallActions.h"
#include "uninstall/UninstallText.h"

#include <cmath>

namespace tarn::uninstall {

TForm1::TForm1(IUninstallView& view, TComponent* owner)
    : TComponent(owner), view_(view), FRemovedDirs(std::make_unique<TStringList>()) {
    ChooseActions();
}

TForm1::~TForm1() = default;

void TForm1::FormCreate(const std::vector<std::string>& arguments) {
    FRemovedDirs->Clear();
    removedDirSet_.clear();
    if (arguments.empty()) {
        state_ = TUninstallState::usRefused;
        view_.SetStartEnabled(false);
        throw Exception(SNoArguments);
    }
    FProductName.clear();
    for (const auto& argument : arguments)
        FProductName += (FProductName.empty() ? "" : " ") + argument;
    // A blank name would make the record key the whole uninstall list, and a backslash would
    // reach into another product's record: both are refused as a missing name is.
    if (TrimBlanks(FProductName).empty() || FProductName.find('\\') != std::string::npos) {
        FProductName.clear();
        state_ = TUninstallState::usRefused;
        view_.SetStartEnabled(false);
        throw Exception(SNoArguments);
    }
    view_.SetCaption("Remove " + FProductName);
    FRecordKey = TrimBlanks(kUninstallKey + FProductName);
    state_ = TUninstallState::usReady;
    ChooseActions();
}

void TForm1::StartBtnClick(TComponent*) {
    view_.SetStartEnabled(false);
    state_ = TUninstallState::usStopped; // until the last step is reached
    ChooseActions();
    RunPhase(TPhaseBox::pbAliases, false, [this] { RemoveAliases(); });
    RunPhase(TPhaseBox::pbActiveX, true, [this] { RemoveActiveXComponents(); });
    RunPhase(TPhaseBox::pbFiles, true, [this] { RemoveFiles(); });
    RunPhase(TPhaseBox::pbIniFiles, false, [this] { RemoveIniEntries(); });
    RunPhase(TPhaseBox::pbBDE, false, [this] { RemoveDatabaseEngine(); });
    RemoveEmptyFolders();

    view_.ShowCheckBox(TPhaseBox::pbRegistry);
    view_.Repaint();
    if (!RemoveRegistryKeys()) Inform(SRegistryKeysLeft);
    view_.TickCheckBox(TPhaseBox::pbRegistry);
    view_.Repaint();

    // The record key once more, as the name was given: whatever the phases left goes with it.
    FRecordKey = kUninstallKey + FProductName;
    DeleteRecordTree(FRecordKey);

    if (RemoveOwnProgram) {
        const std::string self = platform::System().GetModuleFileName();
        switch (actions_->RemoveOwnProgram(self)) {
        case ProgramFate::Deleted:
            Inform(FProductName + SRemovedItself);
            break;
        case ProgramFate::AtRestart:
            Inform("The uninstallation program for " + FProductName + SRemovedAtReboot);
            break;
        case ProgramFate::Planned:
            break;
        }
    }
    state_ = TUninstallState::usFinished;
    view_.Close();
}

void TForm1::CloseBtnClick(TComponent*) {
    view_.Close();
}

void TForm1::ChooseActions() {
    actions_ = MakeUninstallActions(
        DryRun, DryRunAnswer, [this](const std::string& line) { Report(line); }, view_);
}

void TForm1::RunPhase(TPhaseBox box, bool withProgress, const std::function<void()>& phase) {
    if (withProgress) view_.ShowProgress(0);
    view_.ShowCheckBox(box);
    view_.Repaint();
    if (withProgress) {
        try {
            phase();
        } catch (...) {
            view_.HideProgress();
            throw;
        }
        view_.HideProgress();
    } else {
        phase();
    }
    view_.TickCheckBox(box);
}

bool TForm1::Create(const std::vector<std::string>& arguments) {
    try {
        FormCreate(arguments);
        return true;
    } catch (const std::exception& e) {
        ShowError(e.what());
        return false;
    }
}

bool TForm1::Start() {
    try {
        StartBtnClick(this);
        return true;
    } catch (const std::exception& e) {
        state_ = TUninstallState::usStopped;
        Report(std::string("stopped: ") + e.what());
        ShowError(e.what());
        return false;
    }
}

std::string TForm1::Title() const {
    std::string name = platform::System().GetModuleFileName();
    const auto slash = name.find_last_of("\\/:");
    if (slash != std::string::npos) name.erase(0, slash + 1);
    const auto dot = name.rfind('.');
    if (dot != std::string::npos) name.erase(dot);
    return name;
}

void TForm1::ShowError(const std::string& text) {
    std::string message = text;
    if (!message.empty() && static_cast<unsigned char>(message.back()) > '.') message += '.';
    view_.BeforeBox();
    platform::UI().Error(Title(), message);
}

void TForm1::Inform(const std::string& text) {
    view_.BeforeBox();
    platform::UI().Inform(Title(), text);
}

bool TForm1::ConfirmFileDelete(const std::string& path) {
    return actions_->Ask(Format(SConfirmFileDelete, path));
}

void TForm1::Report(const std::string& line) {
    if (OnAction) OnAction(line);
}

int TForm1::ProgressPosition(int k, int n) {
    if (n <= 1) return 0; // the quotient has no value
    const double position = static_cast<double>(k) / static_cast<double>(n - 1) * 100.0;
    return static_cast<int>(std::nearbyint(position));
}

void TForm1::SetProgress(int k, int n) {
    view_.SetProgress(ProgressPosition(k, n));
}

void TForm1::NoteFolder(const std::string& path) {
    std::string folder = FolderPartOf(path);
    if (folder.empty()) return;
    if (folder.size() >= 2 && folder.back() == '\\' && folder[folder.size() - 2] != ':' &&
        folder[folder.size() - 2] != '\\')
        folder.pop_back();
    folder = UpperCaseAnsi(folder);
    // Looked up in a set: a record of many files in many folders stays linear.
    if (removedDirSet_.insert(folder).second) FRemovedDirs->Add(folder);
}

bool TForm1::SharedCountsRecorded() {
    TtarnRegistry shared;
    SetRootByCode(shared, rcLocalMachine);
    shared.SetAccess(platform::KEY_READ);
    if (!shared.TRegistry::OpenKey(kSharedDllsKey, false)) return true; // cannot tell: look
    TStringList names;
    shared.GetValueNames(names);
    return names.Count() > 0;
}

std::optional<std::int32_t> TForm1::SharedCount(std::string& path) {
    // A stored count of exactly this value reads as absent.
    constexpr std::int32_t kAbsent = -2147483647;
    if (!sharedCounts_) return std::nullopt;
    const std::string shortPath = GetShortPath(path);
    if (!shortPath.empty()) {
        const std::int32_t count =
            ReadRegistryInteger(rcLocalMachine, kSharedDllsKey, shortPath, kAbsent);
        if (count != kAbsent) {
            path = shortPath;
            return count;
        }
    }
    const std::int32_t count = ReadRegistryInteger(rcLocalMachine, kSharedDllsKey, path, kAbsent);
    if (count == kAbsent) return std::nullopt;
    return count;
}

void TForm1::DeleteRecordTree(const std::string& key) {
    if (RecordKeyExists(key)) actions_->DeleteKeyTree(key);
}

bool TForm1::RecordFound() const {
    return RecordKeyExists(FRecordKey) || RecordKeyExists(kUninstallKey + FProductName);
}

bool TForm1::RecordKeyExists(const std::string& key) {
    TtarnRegistry probe;
    SetRootByCode(probe, rcLocalMachine);
    return probe.KeyExists(key);
}

} // namespace tarn::uninstall
