// The install component: the root file container of the install tree and the driver of the
// install application. Loaded with its form, it reads the command line, finds the run's record in
// the registry and picks a run mode (build, floppies, continuation after a restart, install); the
// install run installs the tree in a fixed order of stages and ends with a restart, the launch of
// programs or the end of the application.
#pragma once

#include "archive/cmp_TTarnCompress.h"
#include "framework/StringList.h"
#include "install/cmp_TInstallContainer.h"
#include "install/cmp_TInstallContainer_InstallFile.h"
#include "paths/InstallTree.h"
#include "paths/cmp_TInstallInformation.h"
#include "routines/routines_Exceptions.h"

#include <array>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace tarn {
class TCustomForm;
namespace translator {
class TTranslator;
}
using translator::TTranslator;
} // namespace tarn

namespace tarn::install {

using tarn::IEInstall;
class IEInstallNetLocNil : public IEInstall {
public:
    using IEInstall::IEInstall;
};

class TCustomInstall;

// The command-line switches, in the order of their values.
enum TInstallSwitch : int {
    swBuild = 0,       // -b
    swFloppies = 1,    // -f
    swDebug = 2,       // -d
    swSelfExtract = 3, // -e
    swReboot = 4,      // -r
    swSource = 5,      // -s
    swCleanup = 6,     // -c
    swForget = 7,      // -n
};
inline constexpr int kSwitchCount = 8;
inline constexpr char kSwitchLetters[kSwitchCount + 1] = "bfderscn";

// Build settings stored with the install component. The build operations do not read them; the
// driver reads AddUninstallOnCreate when an install finishes.
class TBuildInfo {
public:
    // A finished install copies the uninstall program beside the product and lists the product
    // with Add/Remove Programs.
    bool AddUninstallOnCreate = true;
    std::string AppName;
    std::string AppURL;
    std::string BuildDirectory = "c:\\build";
    std::string CredentialsFile;
    std::string OCXName = "twsetup";
    std::string PrivateKeyFile;
    bool SignCode = false;
    std::string URLPath;
};

// The last 56 bytes of a setup.exe: where its embedded setup.1 and files.1 lie.
struct TSelfExtractTrailer {
    static constexpr std::size_t kSize = 56;
    std::string Marker; // "SELFEXTRACTING" or "NOTSELFEXTRACT"
    // Offsets in the file; the last ones inclusive. 0 when a part is not embedded.
    std::int32_t Setup1First = 0;
    std::int32_t Setup1Last = 0;
    std::int32_t Files1First = 0;
    std::int32_t Files1Last = 0;

    // The 56 bytes: marker length 14, the marker, a zero, the four offsets (little-endian), zeros.
    std::string Encode() const;
    // Reads 56 bytes as written; false when they are no trailer (the length byte is not 14).
    static bool Decode(std::string_view bytes, TSelfExtractTrailer& trailer);
};
inline constexpr const char* kSelfExtracting = "SELFEXTRACTING";
inline constexpr const char* kNotSelfExtracting = "NOTSELFEXTRACT";
// The loading program in the library folder.
inline constexpr const char* kLoadingProgram = "TarnwellLoadProgram.exe";
inline constexpr const char* kFileListName = "filelist.lst";

using TBuildFileEvent = std::function<void(TCustomInstall& sender, const std::string& file)>;
using TFloppyStatusEvent =
    std::function<void(archive::TTarnCompress& sender, const archive::TlzhFileStats& stats)>;

// The record of install runs on this machine, under HKEY_LOCAL_MACHINE.
inline constexpr const char* kInstallRunsKey = "\\SOFTWARE\\Tarnwell\\Install";
inline constexpr const char* kTarnwellKey = "\\Software\\Tarnwell";
inline constexpr const char* kRunOnceName = "TarnwellUnfinished";
// The uninstall program's file name in the main installation folder.
inline constexpr const char* kUninstallProgram = "uninstall.exe";

// What a front end shows while the driver runs: status captions and the progress of the run.
class IInstallProgress {
public:
    virtual ~IInstallProgress() = default;
    // An empty text clears the status.
    virtual void Status(const std::string& text) = 0;
    // One line of what was done to a file or an entry ("installed", "kept", ...), for a log.
    virtual void Action(const std::string& what, const std::string& item) = 0;
    // The bytes of the run so far.
    virtual void Progress(std::int64_t done, std::int64_t total) = 0;
};

// The sink a new install component starts with, so that a program sees the runs that start while
// its form is read (the continuation after a restart).
inline IInstallProgress* DefaultInstallProgress = nullptr;

using TInstallFinishedEvent = std::function<void(TCustomInstall& sender, bool aborted)>;
using TQueryFlagEvent = std::function<void(TCustomInstall& sender, bool& flag)>;
using TQueryLaunchEvent =
    std::function<void(TCustomInstall& sender, TCustomInstallFile& file, TNumberSet& kinds)>;

class TCustomInstall : public TFileContainer,
                       public IInstallRunner,
                       public IFileInstallDriver,
                       public paths::IInstallDriver {
public:
    static constexpr std::string_view kClassName = "TCustomInstall";
    explicit TCustomInstall(TComponent* owner);
    ~TCustomInstall() override;
    std::string_view ClassName() const override { return kClassName; }
    void AfterConstruction() override;

    // Settings.
    std::string ComponentVersion = "5.11.08";
    bool AutoRun = true;
    TInstallFinishedEvent OnInstallFinished;
    TNotifyEvent OnBeforeInstall;
    TNotifyEvent OnBeforeAbort;
    TNotifyEvent OnAfterAbort;
    TNotifyEvent OnBeforeFinish;
    TNotifyEvent OnAfterFinish;
    TNotifyEvent OnBeforeReadFileInfo;
    TNotifyEvent OnAfterReadFileInfo;
    TQueryFlagEvent OnQueryReboot;
    TNotifyEvent OnRebootFailed;
    TQueryLaunchEvent OnQueryLaunch;
    TQueryFlagEvent OnQueryTerminate;
    TQueryFlagEvent OnQueryCleanup;
    TNotifyEvent OnDestroyInstall;
    // Build events.
    TBuildFileEvent OnBeforeCopyApplication;
    TNotifyEvent OnAfterCopyApplication;
    TNotifyEvent OnBeforeSetupArchive;
    TNotifyEvent OnAfterSetupArchive;
    TNotifyEvent OnBeforeBuildArchives;
    TNotifyEvent OnAfterBuildArchives;
    TNotifyEvent OnBeforeSelfExtract;
    TNotifyEvent OnAfterSelfExtract;
    TFloppyStatusEvent OnFloppyStatus;
    // Where status and progress go; none shows nothing.
    IInstallProgress* Progress = nullptr;

    TBuildInfo& BuildInfo() { return *buildInfo_; }
    void SetBuildInfo(const TBuildInfo& info) { *buildInfo_ = info; }
    paths::TInstallInformation& InstallInformation() { return information_; }
    const TStringList& SetupFiles() const { return setupFiles_; }
    void SetSetupFiles(const TStringList& lines);
    // The theme picture's bytes (a bitmap), and its size.
    std::string Picture;
    int PictureWidth = 117;
    int PictureHeight = 290;
    void SetPicture(const std::string& bytes) { Picture = bytes; }
    bool UseLoadingProgram() const { return useLoadingProgram_; }
    void SetUseLoadingProgram(bool value);
    int DistributeType() const override { return distributeType_; }
    void SetDistributeType(int value);
    TCustomNetInstallLocation* InstallNetLocation() const { return NetLocation(); }
    void SetNetLocation(TCustomNetInstallLocation* location) override;
    bool Maximized() const { return maximized_; }
    void SetMaximized(bool value);
    bool HideForm() const { return hideForm_; }
    void SetHideForm(bool value);

    // Run state.
    bool HasSwitch(TInstallSwitch s) const { return switches_[s]; }
    const std::string& SwitchValue(TInstallSwitch s) const { return switchValues_[s]; }
    const std::string& SourceFolder() const { return sourceFolder_; }
    TCustomForm* Form() const { return form_; }
    bool Activated() const { return activated_; }
    bool Running() const override { return running_; }
    bool Cancelled() const { return cancelled_; }
    bool RebootNeeded() const { return rebootNeeded_; }
    int UnfinishedCount() const { return unfinishedCount_; }
    const std::string& CleanupBatch() const { return cleanupBatch_; }
    bool CleanupPending() const { return cleanupPending_; }

    // Operations.
    virtual void RemoveInstallRecord();
    virtual void NotifyAbort();
    virtual void NotifyFinish();
    virtual std::string FindInstallRecord(bool create);
    virtual void InstallStage(int code, const std::string& caption);
    virtual void ParseCommandLine();
    virtual void LaunchPrograms();
    virtual void RegisterRunOnce();
    virtual void HandleException(TComponent* sender, const std::exception& error);
    virtual void CleanupTemporaryCopy();
    virtual void ReadUnfinished(TStringList& list);
    virtual void ClearUnfinished();
    void AddUnfinished(const std::string& item, int kind) override;
    virtual void SaveLanguage();
    virtual int LoadLanguage();
    virtual void RebootWindows();
    virtual void ReadFileInformation();

    // Building the distributables (program file: the install application; Windows paths).
    virtual void Build(const std::string& programFile, const std::string& buildFolder,
                       bool standAlone);
    virtual void CreateSetupArchive(const std::string& buildFolder, const std::string& programFile);
    virtual void CopyLoadingProgram(const std::string& buildFolder, const std::string& programFile);
    virtual void MakeSelfExtracting(const std::string& setupExe, const std::string& setup1,
                                    const std::string& files1);
    virtual void AppendPlainTrailer(const std::string& setupExe);
    virtual void ReadSelfExtractTrailer(const std::string& file, TSelfExtractTrailer& trailer);
    virtual void WriteFileList();
    virtual void ReadFileList();

    // The install run.
    void Install() override;
    // The run mode -r: finishes what the last run left for after the restart.
    virtual void ContinueAfterReboot();
    // The form's first activation: the install run when AutoRun is set.
    void FormActivated(TComponent& sender);

    // IInstallRunner
    TFileContainer& RunnerNode() override { return *this; }
    std::string ProductName() const override { return information_.ProductName; }
    // IFileInstallDriver
    std::string ArchiveFile() const override;
    void SetRebootNeeded() override { rebootNeeded_ = true; }
    // paths::IInstallDriver
    paths::IInstallNode& Node() override { return *this; }
    std::string SourceDir() override { return sourceFolder_; }
    bool SelfExtracting(std::string& value) override;

    Kind NodeKind() const override { return Kind::Install; }
    bool CreatesFileContainerSpecifier() const override { return false; }
    void DoInformationEventControl(TComponent* sender, int code, TObject* parameter) override;

    // The status text of the run; the front end shows it.
    void ShowStatus(const std::string& text);
    // The path of the running setup program, as the record and the restart command name it.
    std::string ProgramPath() const;
    // Where the restart continues from: the setup program the user started.
    std::string SetupProgramPath() const;

    // The run modes of a loaded form: build, floppies; each ends the application.
    virtual void BuildFromBuildInf();
    virtual void TransferToFloppies(const std::string& drive);

protected:
    void Loaded() override;
    void Notification(TComponent* component, TOperation operation) override;
    // In -e mode the archive is the self-extracting program: its members start at an offset.
    virtual void ApplySelfExtractOffset();

private:
    void SetDefaults();
    void FinishRun();
    void RebootAndEnd();
    void AskTerminate();
    void ListForUninstall();
    void EnsureTranslator();
    translator::TTranslator* Translator() const;

    std::unique_ptr<TBuildInfo> buildInfo_;
    paths::TInstallInformation information_;
    TStringList setupFiles_;
    bool useLoadingProgram_ = true;
    int distributeType_ = 0;
    bool maximized_ = true;
    bool hideForm_ = false;

    std::array<bool, kSwitchCount> switches_{};
    std::array<std::string, kSwitchCount> switchValues_;
    std::string sourceFolder_;
    TCustomForm* form_ = nullptr;
    std::function<void(TComponent&)> savedActivate_;
    bool handlerSaved_ = false;
    bool activated_ = false;
    bool running_ = false;
    bool cancelled_ = false;
    bool rebootNeeded_ = false;
    int unfinishedCount_ = 0;
    std::string cleanupBatch_;
    bool cleanupPending_ = false;
    bool registered_ = false;
    std::int64_t overallDone_ = 0;
    std::int64_t overallTotal_ = 0;
    TObject* keptFile_ = nullptr; // the file last reported as not copied
};

class TInstall : public TCustomInstall {
public:
    static constexpr std::string_view kClassName = "TInstall";
    using TCustomInstall::TCustomInstall;
    std::string_view ClassName() const override { return kClassName; }
};

// The install component of the process, or nullptr.
TCustomInstall* InstallComponent();
// Set at the start of each install run; 0 before the first.
inline double InstallStartTime = 0;
// The present moment as a local day count (days since 1899-12-30).
double NowAsDayCount();

// The messages.
inline constexpr std::string_view STwoInstalls =
    "The TInstall component does not currently support the use of 2 TInstall components in the "
    "same project";
inline constexpr std::string_view SBadOwner =
    "The Owner of the TInstall component must either be a class of type TCustomForm (Delphi 3) or "
    "TForm (Delphi 2.0,C++Builder 1.0)";
inline constexpr std::string_view SDistributeDesignOnly =
    "DistributeType can only be set at design-time";
inline constexpr std::string_view SNeedNetLocation =
    "Must assign a net location via the NetLocation property before you can set the distribute "
    "type";
inline constexpr std::string_view SInvalidParameter =
    "Invalid parameter <%s>. Valid command line parameters are: -b (Build), -d (Debug), -f "
    "(Transfer to floppies), -e (Called by self-extractor), -r (After reboot)";
inline constexpr std::string_view SForgotBuildDirectory =
    "You forgot to pass in the build directory. In Run | Parameters, follow this format: -d "
    "\"-sC:\\My Build\"";
inline constexpr std::string_view SNoMainForm =
    "Application.MainForm is undefined and the TInstall is not on a form. Therefore, therefore "
    "the TInstall can't run the installation automatically";
inline constexpr std::string_view SNoLoadingProgramPath =
    "The path of the loading program was not passed correctly. If you are running your install "
    "project in the IDE, then you need to add two command line parameters. In Run | Parameters | "
    "\"Run Parameters\", type in: -d \"-sBUILDPATH\" where BUILDPATH is the path into which you "
    "built the distributables. Example: -d \"-sC:\\My Build\".";
inline constexpr std::string_view SNoUnfinishedRecord =
    "The TInstall could not either write or read unfinished business from the registry";
inline constexpr std::string_view SNoRunOnce =
    "Cannot register the install to be run on reboot in the RunOnce key in the registry";
inline constexpr std::string_view SBadUnfinishedEntry =
    "There is an invalid entry for the unfinished install list %s";
inline constexpr std::string_view SRebootFailed =
    "Could not reboot windows. Please manually reboot windows.";
inline constexpr std::string_view SReadingFileInfo = "Reading file information...";

} // namespace tarn::install
