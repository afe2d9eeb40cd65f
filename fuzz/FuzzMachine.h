// A fresh embedded machine in a temporary folder, in force for the whole fuzzing process: the
// targets whose code reaches the platform (files, profiles, text comparison) run against it.
#pragma once

#include "platform/Platform.h"
#include "platform/portable/Machine.h"

#include <filesystem>
#include <memory>
#include <string>
#include <unistd.h>

namespace tarn::fuzz {

class FuzzMachine {
public:
    explicit FuzzMachine(const std::string& name)
        : folder_(std::filesystem::temp_directory_path() /
                  ("tarnwell-fuzz-" + name + "-" + std::to_string(getpid()))),
          machine_(std::make_unique<platform::portable::Machine>(folder_ / "machine")),
          scope_(std::make_unique<platform::ScopedPlatform>(*machine_)) {}
    ~FuzzMachine() {
        scope_.reset();
        machine_.reset();
        std::error_code ec;
        std::filesystem::remove_all(folder_, ec);
    }
    FuzzMachine(const FuzzMachine&) = delete;
    FuzzMachine& operator=(const FuzzMachine&) = delete;

    // The host folder of drive C:.
    std::filesystem::path Drive() const { return folder_ / "machine" / "drive_c"; }

private:
    std::filesystem::path folder_;
    std::unique_ptr<platform::portable::Machine> machine_;
    std::unique_ptr<platform::ScopedPlatform> scope_;
};

} // namespace tarn::fuzz
