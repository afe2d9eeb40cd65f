// The program a component runs in: its parameters, its main form, the handler every error of
// the program's event loop reaches, and the request to end. One per process; tests swap it.
#pragma once

#include <exception>
#include <functional>
#include <string>
#include <vector>

namespace tarn {

class TComponent;
class TCustomForm;

class TApplication {
public:
    using TExceptionEvent = std::function<void(TComponent* sender, const std::exception& error)>;

    // The program's own path, as the machine names it.
    std::string ExeName;
    // The parameters after the program's name.
    std::vector<std::string> Params;
    TCustomForm* MainForm = nullptr;
    TExceptionEvent OnException;
    // Set by a component that runs inside another program's process: the module file of that
    // component (the library), not the program.
    std::string ModuleName;

    // Hands an error to OnException, else shows it.
    void HandleException(TComponent* sender, const std::exception& error);
    // The standard way: an error box through the user interface.
    void ShowException(const std::exception& error);
    void Terminate() { terminated_ = true; }
    bool Terminated() const { return terminated_; }
    bool InsideLibrary() const { return !ModuleName.empty(); }
    const std::string& ModuleFileName() const { return InsideLibrary() ? ModuleName : ExeName; }

private:
    bool terminated_ = false;
};

// The process's application: the one a ScopedApplication put in place, else a default one.
TApplication& Application();

class ScopedApplication {
public:
    explicit ScopedApplication(TApplication& application);
    ~ScopedApplication();
    ScopedApplication(const ScopedApplication&) = delete;
    ScopedApplication& operator=(const ScopedApplication&) = delete;

private:
    TApplication* previous_;
};

} // namespace tarn
