// The install application's pages apart from how they are shown: what each page offers, what
// the user may change and how the choices reach the install tree, the command line of the front
// end, the log of actions and the answers of a quiet run. A view (the terminal now, a window
// later) only shows pages and hands back answers; the rules live here so that every view keeps
// them alike.
#pragma once

#include "install/cmp_TInstall.h"
#include "platform/UserInterface.h"

#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace tarn {
class TCustomForm;
class TFileStream;
} // namespace tarn

namespace tarn::setup {

// The exit statuses of tarnwell-setup.
enum TSetupStatus : int {
    ssInstalled = 0,     // installed, or a one-shot run mode (build, continuation) done
    ssFailed = 1,        // an error stopped the run
    ssRefused = 2,       // a bad command line, a missing or bad form
    ssRestartNeeded = 3, // installed; a restart of the machine finishes the install
    ssCancelled = 4,     // the user cancelled in the pages
};

// The install types a user picks from; InstallType 3 means every type and is no choice.
inline constexpr int kChoosableTypes = 3;
// "Typical", "Compact", "Custom".
std::string InstallTypeCaption(int type);

// A group as the groups page shows it.
struct TGroupChoice {
    std::string caption;
    std::vector<std::string> description;
    bool include = true;
    // AllowExcludeInclude: the view may change include only where this is set.
    bool changeable = true;
    bool hasPassword = false;
};

// What a front end shows. The pages come in this order: Welcome, AskInstallType (only when the
// type changes what is installed), AskGroups (only when there are groups to show), AskPassword
// for each chosen group that has one, AskFolder; then the run's status and progress, AskRestart
// when the run needs a restart, and Finished.
class IInstallView : public install::IInstallProgress {
public:
    // False: the user does not go on.
    virtual bool Welcome(const std::string& company, const std::string& product,
                         const std::string& version) = 0;
    // One of types; nothing cancels.
    virtual std::optional<int> AskInstallType(const std::vector<int>& types, int current) = 0;
    // Sets include of the groups the user changes; false cancels.
    virtual bool AskGroups(std::vector<TGroupChoice>& groups) = 0;
    // Nothing cancels.
    virtual std::optional<std::string> AskPassword(const TGroupChoice& group) = 0;
    // A folder that is not changeable is only shown; nothing cancels.
    virtual std::optional<std::string> AskFolder(const std::string& folder, bool changeable) = 0;
    // A notice on the page (a wrong password, a folder that cannot be used).
    virtual void Message(const std::string& text) = 0;
    // A box of the user interface is about to appear: finish what is being drawn.
    virtual void BeforeBox() {}
    // True: restart now.
    virtual bool AskRestart() = 0;
    // restartNow: the user let the run restart the machine.
    virtual void Finished(TSetupStatus status, bool restartNow) = 0;
};

// The front end's own parameters. They begin with "*", which the driver passes over for letters
// that are none of its switches; *FORM begins with the floppies letter, so all three are taken
// out before the driver sees the command line.
struct TSetupArguments {
    bool quiet = false;                    // *QUIET
    std::string logFile;                   // *LOG=FILE, a path on the machine
    std::string formFile;                  // *FORM=PATH, a path on the machine; empty: the default
    std::vector<std::string> driverParams; // the rest, in order and unchanged
};

// Fills arguments; the error text when one of the front end's parameters lacks its value.
std::optional<std::string> ParseSetupArguments(const std::vector<std::string>& arguments,
                                               TSetupArguments& result);

// The driver's rules for its command line (ParseCommandLine and the -d check of loading), applied
// before the form is read so that a bad command line is refused and not taken for a run that
// failed. The driver's message, or empty.
std::string CheckDriverParameters(const std::vector<std::string>& params);

// The log of *LOG: one line per action, "what<TAB>item", appended to the file, which is opened
// once and may already hold earlier runs. Every line is one write of the machine's file service,
// so what a run that stops has done is in the file.
class TActionLog {
public:
    // Throws EFOpenError or EFCreateError.
    explicit TActionLog(const std::string& fileName);
    ~TActionLog();
    TActionLog(const TActionLog&) = delete;
    TActionLog& operator=(const TActionLog&) = delete;

    void Write(const std::string& what, const std::string& item);

private:
    std::unique_ptr<TFileStream> stream_;
};

// The user interface of *QUIET: every question gets its default button (Yes, OK), errors go to
// err, notices nowhere. The same question a third time in a row is answered No (Cancel): a
// volume that is not there would otherwise keep a quiet run waiting for ever.
class TQuietUserInterface : public platform::IUserInterface {
public:
    explicit TQuietUserInterface(std::ostream& err) : err_(err) {}

    void Inform(const std::string&, const std::string&) override {}
    void Error(const std::string& caption, const std::string& text) override;
    bool Confirm(const std::string& caption, const std::string& text) override;
    bool OkCancel(const std::string& caption, const std::string& text) override;
    int Errors() const { return errors_; }

private:
    bool Answer(const std::string& caption, const std::string& text);

    std::ostream& err_;
    std::string lastQuestion_;
    int repeats_ = 0;
    int errors_ = 0;
};

// Tells the view before each box of another user interface, so that a box does not land in the
// middle of a progress line.
class TViewedUserInterface : public platform::IUserInterface {
public:
    TViewedUserInterface(platform::IUserInterface& inner, IInstallView& view)
        : inner_(inner), view_(view) {}

    void Inform(const std::string& caption, const std::string& text) override;
    void Error(const std::string& caption, const std::string& text) override;
    bool Confirm(const std::string& caption, const std::string& text) override;
    bool OkCancel(const std::string& caption, const std::string& text) override;
    void ProcessMessages() override { inner_.ProcessMessages(); }
    void SetBusy(bool on) override { inner_.SetBusy(on); }

private:
    platform::IUserInterface& inner_;
    IInstallView& view_;
};

// The pages and the run on a loaded install component. While it lives it is the component's
// progress sink and answers its reboot and terminate questions.
//
// The rules:
// - The install type is asked when it changes what is installed: some node of the tree is not in
//   every type that the nodes use. The types offered are those of 0, 1, 2 that some node is in.
// - The groups shown are the install component's own groups in the chosen type; an excluded
//   group only when ShowRegardlessOfInclude. Include changes only where AllowExcludeInclude.
// - A group with a password is installed only with its password: a group that ends included is
//   asked for it, and a wrong one keeps it out, with a message.
// - The main folder (the driver's GetDestination) is asked last, since whether it may change
//   depends on the groups: it is changeable when every group that will be installed allows
//   AllowChangeDir (a tree without groups: always). A changed folder becomes the component's
//   destination pair with no specifier and the folder as the sub-path, which GetDestination
//   gives back as it is; the path specifiers have none that stands for a literal folder.
// - Quiet: the view is told nothing, each page takes its default (a password page the empty
//   text), the reboot question is answered No: the restart is left for later and the driver's
//   RunOnce entry finishes the install then.
class TSetupFrontEnd : public install::IInstallProgress {
public:
    TSetupFrontEnd(install::TCustomInstall& install, IInstallView& view, bool quiet,
                   TActionLog* log = nullptr);
    ~TSetupFrontEnd() override;
    TSetupFrontEnd(const TSetupFrontEnd&) = delete;
    TSetupFrontEnd& operator=(const TSetupFrontEnd&) = delete;

    // The pages, their choices applied to the tree. False: the user cancelled.
    bool RunPages();
    // The install run: the form's first activation runs it when AutoRun is set, else it is
    // started here. An error that comes out goes to the application's handler.
    void Run(TCustomForm& form);
    // The exit status from the driver's state after its run.
    TSetupStatus Result() const;
    // Result, told to the view.
    TSetupStatus Finish();

    // IInstallProgress
    void Status(const std::string& text) override;
    void Action(const std::string& what, const std::string& item) override;
    void Progress(std::int64_t done, std::int64_t total) override;

private:
    std::vector<int> UsedInstallTypes(bool& matters) const;
    bool ChooseInstallType();
    bool ChooseGroups();
    bool ChooseFolder();
    bool FolderChangeable();
    bool InTree(const install::TInstallContainer& node) const;
    bool WillInstall(const install::TInstallContainer& node) const;
    bool Cancel();

    install::TCustomInstall& install_;
    IInstallView& view_;
    bool quiet_;
    TActionLog* log_;
    install::IInstallProgress* savedProgress_;
    bool cancelled_ = false;
    bool failed_ = false;
    bool aborted_ = false;
    bool restartNow_ = false;
};

} // namespace tarn::setup
