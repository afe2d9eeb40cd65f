// tarnwell-setup: the install application. It reads its stored form (the project's install tree
// on a form), which picks the run mode from the command line; an install run shows its pages on
// the terminal first. On Linux it runs on the embedded machine the environment names.
// The arguments come in the host's UTF-8 and are taken into the machine's code page. The front
// end's own: *QUIET (no pages, every question its default answer, the restart left for later),
// *LOG=FILE (a machine path: one line per action, appended), *FORM=PATH (a machine path; the
// default is setup.frm in the program's own folder). The rest go to the install component.
// Exit status: 0 installed (or a one-shot run mode done), 1 an error stopped the run, 2 refused
// (a bad command line, a missing or bad form), 3 installed with a restart needed to finish,
// 4 cancelled in the pages.
#include "SetupFrontEnd.h"
#include "TerminalInstallView.h"

#include "archive/ArchivePaths.h"
#include "framework/Application.h"
#include "framework/ClassRegistry.h"
#include "framework/Form.h"
#include "framework/FormLexer.h"
#include "framework/FormReader.h"
#include "install/cmp_TInstall.h"
#include "install/cmp_TInstall_Stored.h"
#include "install/cmp_TNetInstallLocation.h"
#include "paths/cmp_TPathSpecifier.h"
#include "platform/Console.h"
#include "platform/Platform.h"
#include "platform/portable/Machine.h"

#include <iostream>
#include <memory>
#include <string>
#include <vector>

namespace {

int Refuse(const std::string& text) {
    std::cerr << "tarnwell-setup: " << tarn::platform::ToHostText(text) << '\n';
    return tarn::setup::ssRefused;
}

} // namespace

int main(int argc, char** argv) {
    using namespace tarn;
    // The embedded machine the environment names (TARNWELL_MACHINE, else the user's own).
    std::unique_ptr<platform::Backend> machine;
    try {
        machine = std::make_unique<platform::portable::Machine>(
            platform::portable::Machine::DefaultFolder());
    } catch (const std::exception& e) {
        std::cerr << "tarnwell-setup: " << e.what() << '\n';
        return setup::ssFailed;
    }
    platform::ScopedPlatform scope(*machine);
    auto converted = platform::ProgramArguments(argc, argv, "tarnwell-setup", std::cerr);
    if (!converted) return setup::ssRefused;
    std::vector<std::string> arguments = std::move(*converted);
    setup::TSetupArguments args;
    if (auto error = setup::ParseSetupArguments(arguments, args)) return Refuse(*error);
    if (auto error = setup::CheckDriverParameters(args.driverParams); !error.empty())
        return Refuse(error);

    TApplication application;
    application.ExeName = platform::System().GetModuleFileName();
    application.Params = args.driverParams;
    ScopedApplication applicationScope(application);

    // Boxes go through the terminal's user interface, or the quiet answerer, from loading on.
    setup::TerminalInstallView view;
    setup::TQuietUserInterface quietUi(std::cerr);
    setup::TViewedUserInterface viewedUi(platform::UI(), view);
    platform::Services boxes;
    boxes.ui = args.quiet ? static_cast<platform::IUserInterface*>(&quietUi) : &viewedUi;
    platform::ScopedPlatform boxScope(boxes);

    std::unique_ptr<setup::TActionLog> log;
    if (!args.logFile.empty()) {
        try {
            log = std::make_unique<setup::TActionLog>(args.logFile);
        } catch (const std::exception& e) {
            return Refuse(e.what());
        }
    }

    paths::PathSpecifierUnit specifiers;
    install::NetInstallLocationUnit locations;
    install::InstallContainerUnit containers;
    TClassRegistry registry;
    install::RegisterInstallDriverClasses(registry);

    const std::string formFile = args.formFile.empty()
                                     ? archive::ExtractFilePath(application.ExeName) + "setup.frm"
                                     : args.formFile;
    platform::DWORD attributes = 0;
    if (platform::Files().GetAttributes(formFile, attributes) != platform::ERROR_SUCCESS ||
        (attributes & platform::FILE_ATTRIBUTE_DIRECTORY) != 0)
        return Refuse("there is no form file " + formFile);
    // Loading runs the run mode: a build, the floppies or a continuation end the application.
    // What such a run does goes to the log as an install run's does.
    struct LoadingProgress : install::IInstallProgress {
        setup::TActionLog* log = nullptr;
        void Status(const std::string&) override {}
        void Action(const std::string& what, const std::string& item) override {
            if (log) log->Write(what, item);
        }
        void Progress(std::int64_t, std::int64_t) override {}
    } loadingProgress;
    loadingProgress.log = log.get();
    install::DefaultInstallProgress = &loadingProgress;
    struct ResetDefault {
        ~ResetDefault() { install::DefaultInstallProgress = nullptr; }
    } resetDefault;
    std::unique_ptr<TComponent> root;
    try {
        root = ReadFormFile(formFile, registry);
    } catch (const EFormError& e) {
        return Refuse(e.Message());
    } catch (const std::exception& e) {
        platform::UI().Error("Setup", e.what());
        return setup::ssFailed;
    }
    auto* form = dynamic_cast<TCustomForm*>(root.get());
    install::TCustomInstall* driver = install::InstallComponent();
    if (!form || !driver) return Refuse("the form " + formFile + " holds no install component");
    application.MainForm = form;

    setup::TSetupStatus status = setup::ssInstalled;
    {
        setup::TSetupFrontEnd frontEnd(*driver, view, args.quiet, log.get());
        if (application.Terminated()) {
            status = frontEnd.Result();
        } else {
            try {
                if (frontEnd.RunPages()) frontEnd.Run(*form);
                status = frontEnd.Finish();
            } catch (const std::exception& e) {
                platform::UI().Error("Setup", e.what());
                status = setup::ssFailed;
            }
        }
    }
    application.MainForm = nullptr;
    // The component goes with its form; a clean-up batch it left is started then.
    root.reset();
    return status;
}
