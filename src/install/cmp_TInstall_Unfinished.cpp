// The install component's business across a restart: the unfinished list and the language in
// the run's record, the run-once command that brings the install back, the reboot itself and the
// continuation that works through the list.
#include "install/cmp_TInstall.h"

#include "archive/ArchivePaths.h"
#include "framework/Application.h"
#include "framework/Registry.h"
#include "framework/TextCase.h"
#include "platform/Platform.h"
#include "routines/cmp_TTarnRegistry.h"
#include "routines/routines_API.h"
#include "routines/routines_Exceptions.h"
#include "routines/routines_Registry.h"
#include "routines/routines_Text.h"
#include "translator/cmp_TTranslator.h"

#include <optional>

namespace tarn::install {

namespace {

// Sent to the helpers just before the reboot question.
enum : int { nfQueryReboot = -987 };

constexpr const char* kUnfinishedKey = "Unfinished";
constexpr const char* kLanguageValue = "Language";

std::string UnfinishedKey() {
    return IncludeBackslash(InstallRecordKey) + kUnfinishedKey;
}

void RequireRecord() {
    if (InstallRecordKey.empty()) throw IEInstall(SNoUnfinishedRecord);
}

bool IsLanguage(int value) {
    return value >= translator::tlChineseSimplified && value <= translator::tlVietnamese;
}

} // namespace

void TCustomInstall::AddUnfinished(const std::string& item, int kind) {
    RequireRecord();
    ++unfinishedCount_;
    WriteRegistryString(rcLocalMachine, UnfinishedKey(), item, std::to_string(kind));
}

void TCustomInstall::ClearUnfinished() {
    RequireRecord();
    DeleteRegistryKeyTree(rcLocalMachine, UnfinishedKey());
}

void TCustomInstall::ReadUnfinished(TStringList& list) {
    RequireRecord();
    list.Clear();
    TRegistry registry;
    registry.SetRootKey(platform::HKEY_LOCAL_MACHINE);
    registry.SetAccess(platform::KEY_READ);
    if (!registry.OpenKey(UnfinishedKey(), false)) return;
    TStringList names;
    registry.GetValueNames(names);
    for (int i = 0; i < names.Count(); ++i)
        list.Add(names[i] + ";" + registry.ReadString(names[i]));
}

void TCustomInstall::RegisterRunOnce() {
    const std::string setup = SetupProgramPath();
    // The setup program's folder is where the continuation finds its archive again.
    const std::string source = ExcludeBackslash(archive::ExtractFilePath(setup));
    std::string command = "\"" + ProgramPath() + "\" -r";
    if (HasSwitch(swSelfExtract)) command += " \"-e" + archive::ExtractFileName(setup) + "\"";
    command += " \"-s" + source + "\"";
    if (HasSwitch(swCleanup)) command += " -c";
    if (!AddRunOnceEntry(kRunOnceName, command, true)) throw IEInstall(SNoRunOnce);
}

void TCustomInstall::SaveLanguage() {
    TTranslator* words = Translator();
    // Without a record there is nowhere to keep it; the continuation then speaks the default.
    if (!words || InstallRecordKey.empty()) return;
    WriteRegistryInteger(rcLocalMachine, InstallRecordKey, kLanguageValue,
                         words->TranslateIntoLanguage());
}

int TCustomInstall::LoadLanguage() {
    TTranslator* words = Translator();
    const int fallback = words ? words->TranslateIntoLanguage() : translator::tlUser;
    if (InstallRecordKey.empty()) return fallback;
    try {
        const int stored =
            ReadRegistryInteger(rcLocalMachine, InstallRecordKey, kLanguageValue, fallback);
        // A number the enumeration does not know would make the translator's target undefined.
        return IsLanguage(stored) ? stored : fallback;
    } catch (const std::exception&) {
        return fallback;
    }
}

void TCustomInstall::RebootWindows() {
    bool rebooted = false;
    try {
        const WindowsVersionCode code = GetWindowsVersionCode();
        // The reboot service enables the shutdown privilege itself, which the NT family needs
        // and the 95 family ignores; the codes left over are systems this path was never for.
        if (IsWindows95Family(code) || IsNt4To5Family(code))
            rebooted =
                platform::Reboot().ExitWindows(platform::EWX_REBOOT) == platform::ERROR_SUCCESS;
    } catch (const EAPIRoutines&) {
        rebooted = false;
    }
    if (rebooted) return;
    if (OnRebootFailed) {
        OnRebootFailed(*this);
        return;
    }
    const std::string text(SRebootFailed);
    TTranslator* words = Translator();
    platform::UI().Inform("", words ? words->Translate(translator::tlEnglish, text) : text);
}

void TCustomInstall::RebootAndEnd() {
    SaveLanguage();
    NotifyHelpers(this, nfQueryReboot, nullptr);
    bool reboot = rebootNeeded_;
    if (OnQueryReboot) OnQueryReboot(*this, reboot);
    if (reboot) RebootWindows();
    // The record, the temporary copy and the programs to launch wait for the continuation.
    Application().Terminate();
}

void TCustomInstall::ContinueAfterReboot() {
    running_ = true;
    InstallRecordKey = FindInstallRecord(false);
    if (TTranslator* words = Translator())
        words->SetTranslateIntoLanguage(static_cast<translator::TTarnLanguage>(LoadLanguage()));

    TStringList entries;
    ReadUnfinished(entries);
    // Cleared before the work so that a failing entry cannot bring the same failure back at the
    // next start.
    ClearUnfinished();

    for (int i = 0; i < entries.Count(); ++i) {
        const std::string& line = entries[i];
        const std::size_t first = line.find(';');
        const std::string name = line.substr(0, first);
        std::string kindText;
        if (first != std::string::npos) {
            const std::size_t second = line.find(';', first + 1);
            kindText = line.substr(first + 1, second == std::string::npos ? std::string::npos
                                                                          : second - first - 1);
        }
        const std::optional<std::int32_t> kind = StrToIntStrict(kindText);
        if (!kind) throw IEInstall(SBadUnfinishedEntry, line);
        if (*kind == 0) {
            // By index: finishing one object may add or remove others.
            TInstallContainerList* list = InstallContainerList();
            for (int n = 0; list && n < list->Count(); ++n) {
                TInstallContainer* node = list->Items(n);
                if (SameTextAscii(node->Name(), name)) node->CompleteAfterReboot();
            }
        } else if (*kind == 1) {
            platform::Files().DeleteFile(name); // a batch file already gone is no failure
        }
    }

    // The end of a finished run.
    FinishRun();
}

} // namespace tarn::install
