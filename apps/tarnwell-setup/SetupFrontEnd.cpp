#include "SetupFrontEnd.h"

#include "archive/ArchivePaths.h"
#include "framework/Application.h"
#include "framework/FileStream.h"
#include "framework/Form.h"
#include "framework/Format.h"
#include "framework/TextCase.h"
#include "platform/Console.h"
#include "routines/routines_Text.h"

#include <algorithm>
#include <cctype>
#include <cstring>

namespace tarn::setup {

namespace {

constexpr std::string_view SWrongPassword =
    "The password for %s is not right: %s is not installed.";
constexpr std::string_view SBadFolder =
    "\"%s\" is not a folder the install can use; give a full path such as "
    "C:\\Program Files\\%s.";

// The text after prefix when text begins with it, in either case.
std::optional<std::string> ValueOf(const std::string& text, std::string_view prefix) {
    if (text.size() < prefix.size() || !SameTextAscii(text.substr(0, prefix.size()), prefix))
        return std::nullopt;
    return text.substr(prefix.size());
}

// A full path: a drive and its root, or a share (\\server\share).
bool UsableFolder(const std::string& folder) {
    if (folder.find_first_of("<>\"|?*") != std::string::npos) return false;
    if (std::any_of(folder.begin(), folder.end(),
                    [](char c) { return static_cast<unsigned char>(c) < 0x20; }))
        return false;
    const bool drive = folder.size() >= 3 && std::isalpha(static_cast<unsigned char>(folder[0])) &&
                       folder[1] == ':' && folder[2] == '\\';
    const bool share = folder.size() > 2 && folder.compare(0, 2, "\\\\") == 0 && folder[2] != '\\';
    if (!drive && !share) return false;
    // A colon only after the drive letter.
    return folder.find(':', drive ? 2 : 0) == std::string::npos;
}

bool SameFolder(const std::string& a, const std::string& b) {
    return SameTextAnsi(ExcludeBackslash(a), ExcludeBackslash(b));
}

} // namespace

std::string InstallTypeCaption(int type) {
    switch (type) {
    case 0:
        return "Typical";
    case 1:
        return "Compact";
    case 2:
        return "Custom";
    default:
        return "Type " + std::to_string(type);
    }
}

std::optional<std::string> ParseSetupArguments(const std::vector<std::string>& arguments,
                                               TSetupArguments& result) {
    result = {};
    for (const std::string& argument : arguments) {
        if (SameTextAscii(argument, "*QUIET")) {
            result.quiet = true;
        } else if (auto log = ValueOf(argument, "*LOG=")) {
            if (archive::TrimBlanks(*log).empty()) return "*LOG= needs the file to write to";
            result.logFile = *log;
        } else if (auto form = ValueOf(argument, "*FORM=")) {
            if (archive::TrimBlanks(*form).empty()) return "*FORM= needs the form file to run";
            result.formFile = *form;
        } else {
            result.driverParams.push_back(argument);
        }
    }
    return std::nullopt;
}

std::string CheckDriverParameters(const std::vector<std::string>& params) {
    bool debug = false;
    std::optional<std::string> source;
    for (const std::string& parameter : params) {
        if (parameter.size() < 2 || (parameter[0] != '-' && parameter[0] != '*'))
            return Format(install::SInvalidParameter, parameter);
        const char letter =
            static_cast<char>(std::tolower(static_cast<unsigned char>(parameter[1])));
        const char* found = letter ? std::strchr(install::kSwitchLetters, letter) : nullptr;
        if (!found) {
            if (parameter[0] == '-') return Format(install::SInvalidParameter, parameter);
            continue;
        }
        const int index = static_cast<int>(found - install::kSwitchLetters);
        if (index == install::swDebug) debug = true;
        if (index == install::swSource) source = parameter.substr(2);
    }
    if (debug && (!source || archive::TrimBlanks(*source).empty()))
        return std::string(install::SForgotBuildDirectory);
    return {};
}

// TActionLog

TActionLog::TActionLog(const std::string& fileName) {
    try {
        stream_ = std::make_unique<TFileStream>(fileName, fmOpenWrite | fmShareDenyWrite);
    } catch (const EFOpenError&) {
        // Made, then opened again: fmCreate alone would keep readers out while the run goes on.
        { TFileStream create(fileName, fmCreate); }
        stream_ = std::make_unique<TFileStream>(fileName, fmOpenWrite | fmShareDenyWrite);
    }
    stream_->Seek(0, soFromEnd);
}

TActionLog::~TActionLog() = default;

void TActionLog::Write(const std::string& what, const std::string& item) {
    const std::string line = what + '\t' + item + "\r\n";
    stream_->WriteBuffer(line.data(), line.size());
}

// TQuietUserInterface

void TQuietUserInterface::Error(const std::string& caption, const std::string& text) {
    ++errors_;
    err_ << platform::ToHostText(caption) << ": error: " << platform::ToHostText(text) << std::endl;
}

bool TQuietUserInterface::Confirm(const std::string& caption, const std::string& text) {
    return Answer(caption, text);
}

bool TQuietUserInterface::OkCancel(const std::string& caption, const std::string& text) {
    return Answer(caption, text);
}

bool TQuietUserInterface::Answer(const std::string& caption, const std::string& text) {
    const std::string question = caption + '\n' + text;
    repeats_ = question == lastQuestion_ ? repeats_ + 1 : 0;
    lastQuestion_ = question;
    if (repeats_ < 2) return true;
    err_ << platform::ToHostText(caption) << ": " << platform::ToHostText(text)
         << " (asked again: answered no)" << std::endl;
    return false;
}

// TViewedUserInterface

void TViewedUserInterface::Inform(const std::string& caption, const std::string& text) {
    view_.BeforeBox();
    inner_.Inform(caption, text);
}

void TViewedUserInterface::Error(const std::string& caption, const std::string& text) {
    view_.BeforeBox();
    inner_.Error(caption, text);
}

bool TViewedUserInterface::Confirm(const std::string& caption, const std::string& text) {
    view_.BeforeBox();
    return inner_.Confirm(caption, text);
}

bool TViewedUserInterface::OkCancel(const std::string& caption, const std::string& text) {
    view_.BeforeBox();
    return inner_.OkCancel(caption, text);
}

// TSetupFrontEnd

TSetupFrontEnd::TSetupFrontEnd(install::TCustomInstall& install, IInstallView& view, bool quiet,
                               TActionLog* log)
    : install_(install), view_(view), quiet_(quiet), log_(log), savedProgress_(install.Progress) {
    install_.Progress = this;
    install_.OnQueryReboot = [this](install::TCustomInstall&, bool& reboot) {
        reboot = !quiet_ && view_.AskRestart();
        restartNow_ = reboot;
    };
    install_.OnQueryTerminate = [](install::TCustomInstall&, bool& terminate) { terminate = true; };
    install_.OnInstallFinished = [this](install::TCustomInstall&, bool aborted) {
        aborted_ = aborted;
    };
}

TSetupFrontEnd::~TSetupFrontEnd() {
    install_.Progress = savedProgress_;
    install_.OnQueryReboot = nullptr;
    install_.OnQueryTerminate = nullptr;
    install_.OnInstallFinished = nullptr;
}

bool TSetupFrontEnd::Cancel() {
    cancelled_ = true;
    return false;
}

bool TSetupFrontEnd::RunPages() {
    const paths::TInstallInformation& information = install_.InstallInformation();
    if (!quiet_ &&
        !view_.Welcome(information.CompanyName, information.ProductName, information.Version))
        return Cancel();
    if (!ChooseInstallType() || !ChooseGroups() || !ChooseFolder()) return Cancel();
    return true;
}

bool TSetupFrontEnd::InTree(const install::TInstallContainer& node) const {
    const install::TInstallContainer* root = &install_;
    for (const install::TInstallContainer* up = node.ParentNode(); up; up = up->ParentNode())
        if (up == root) return true;
    return false;
}

bool TSetupFrontEnd::WillInstall(const install::TInstallContainer& node) const {
    const install::TInstallContainer* root = &install_;
    for (const install::TInstallContainer* n = &node; n; n = n->ParentNode()) {
        if (n == root) return true;
        if (!n->IsSelected()) return false;
    }
    return false;
}

std::vector<int> TSetupFrontEnd::UsedInstallTypes(bool& matters) const {
    std::vector<const install::TInstallContainer*> nodes;
    install::TNumberSet used;
    for (const install::TInstallContainer* node : install::InstallContainerList()->All()) {
        if (!InTree(*node)) continue;
        nodes.push_back(node);
        for (int type = 0; type < kChoosableTypes; ++type)
            if (node->InstallTypes.Contains(type)) used.Include(type);
    }
    matters = false;
    for (const install::TInstallContainer* node : nodes)
        for (int type = 0; type < kChoosableTypes; ++type)
            if (used.Contains(type) && !node->InstallTypes.Contains(type)) matters = true;
    std::vector<int> types;
    for (int type = 0; type < kChoosableTypes; ++type)
        if (used.Contains(type)) types.push_back(type);
    return types;
}

bool TSetupFrontEnd::ChooseInstallType() {
    // Type 3 installs every type's nodes: there is nothing to choose.
    if (install_.InstallType == 3) return true;
    bool matters = false;
    const std::vector<int> types = UsedInstallTypes(matters);
    if (types.empty()) return true;
    int type = install_.InstallType;
    // A type that no node is in would install nothing.
    if (std::find(types.begin(), types.end(), type) == types.end()) type = types.front();
    if (matters && !quiet_) {
        const std::optional<int> chosen = view_.AskInstallType(types, type);
        if (!chosen) return false;
        if (std::find(types.begin(), types.end(), *chosen) != types.end()) type = *chosen;
    }
    // Left alone when unchanged: a node may keep a type of its own (3: every type).
    if (type != install_.InstallType) install_.SetInstallType(static_cast<std::uint8_t>(type));
    return true;
}

bool TSetupFrontEnd::ChooseGroups() {
    const install::TInstallContainer* root = &install_;
    std::vector<install::TCustomInstallGroup*> groups;
    std::vector<TGroupChoice> choices;
    for (install::TInstallContainer* node : install::InstallContainerList()->All()) {
        auto* group = dynamic_cast<install::TCustomInstallGroup*>(node);
        if (!group || group->ParentNode() != root) continue;
        if (group->InstallType != 3 && !group->InstallTypes.Contains(group->InstallType)) continue;
        install::TInstallGroupDialogOptions& options = group->DialogOptions();
        if (!group->Include && !options.ShowRegardlessOfInclude) continue;
        TGroupChoice choice;
        choice.caption = group->CaptionText.empty() ? group->Name() : group->CaptionText;
        for (int i = 0; i < options.Description().Count(); ++i)
            choice.description.push_back(options.Description()[i]);
        choice.include = group->Include;
        choice.changeable = options.AllowExcludeInclude;
        choice.hasPassword = options.HasPassword;
        groups.push_back(group);
        choices.push_back(std::move(choice));
    }
    if (choices.empty()) return true;
    if (!quiet_ && !view_.AskGroups(choices)) return false;
    for (std::size_t i = 0; i < groups.size(); ++i) {
        install::TCustomInstallGroup& group = *groups[i];
        if (choices[i].changeable) group.Include = choices[i].include;
        install::TInstallGroupDialogOptions& options = group.DialogOptions();
        if (!group.Include || !options.HasPassword) continue;
        std::string given;
        if (!quiet_) {
            std::optional<std::string> answer = view_.AskPassword(choices[i]);
            if (!answer) return false;
            given = std::move(*answer);
        }
        if (given != options.Password()) {
            group.Include = false;
            if (!quiet_)
                view_.Message(Format(SWrongPassword, choices[i].caption, choices[i].caption));
        }
    }
    return true;
}

bool TSetupFrontEnd::FolderChangeable() {
    for (install::TInstallContainer* node : install::InstallContainerList()->All()) {
        auto* group = dynamic_cast<install::TCustomInstallGroup*>(node);
        if (group && WillInstall(*group) && !group->DialogOptions().AllowChangeDir) return false;
    }
    return true;
}

bool TSetupFrontEnd::ChooseFolder() {
    if (quiet_) return true;
    const std::string folder = install_.GetDestination();
    const bool changeable = FolderChangeable();
    for (;;) {
        const std::optional<std::string> answer = view_.AskFolder(folder, changeable);
        if (!answer) return false;
        if (!changeable) return true;
        std::string chosen = archive::TrimBlanks(*answer);
        std::replace(chosen.begin(), chosen.end(), '/', '\\');
        if (chosen.empty() || SameFolder(chosen, folder)) return true;
        if (!UsableFolder(chosen)) {
            view_.Message(Format(SBadFolder, chosen, install_.InstallInformation().ProductName));
            continue;
        }
        install_.SetDestinationSpecifier(nullptr);
        install_.SetSubPath(chosen);
        return true;
    }
}

void TSetupFrontEnd::Run(TCustomForm& form) {
    try {
        form.Activate();
        if (!install_.AutoRun) install_.Install();
    } catch (const std::exception& error) {
        failed_ = true;
        try {
            Application().HandleException(&install_, error);
        } catch (const std::exception& again) {
            Application().ShowException(again);
        }
    }
}

TSetupStatus TSetupFrontEnd::Result() const {
    if (cancelled_) return ssCancelled;
    if (failed_ || aborted_ || install_.Cancelled()) return ssFailed;
    if (install_.RebootNeeded()) return ssRestartNeeded;
    return ssInstalled;
}

TSetupStatus TSetupFrontEnd::Finish() {
    const TSetupStatus status = Result();
    if (!quiet_) view_.Finished(status, restartNow_);
    return status;
}

void TSetupFrontEnd::Status(const std::string& text) {
    if (!quiet_) view_.Status(text);
}

void TSetupFrontEnd::Action(const std::string& what, const std::string& item) {
    if (log_) log_->Write(what, item);
    if (!quiet_) view_.Action(what, item);
}

void TSetupFrontEnd::Progress(std::int64_t done, std::int64_t total) {
    if (!quiet_) view_.Progress(done, total);
}

} // namespace tarn::setup
