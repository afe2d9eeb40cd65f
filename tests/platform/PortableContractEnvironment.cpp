// The portable backend under the contract suites: a fresh embedded machine per test. Its file
// system is reached through the forwarding base that decorators build on, so that a forwarder
// passing a call to the wrong method fails the suite; the registry already comes behind
// FaultyRegistry, which is built on its own.
#include "platform/ForwardingFileSystem.h"
#include "platform/contract/ContractEnvironment.h"
#include "support/TempMachine.h"

namespace tarn::test {
namespace {

class PortableEnvironment : public ContractEnvironment {
public:
    PortableEnvironment() { std::filesystem::create_directories(machine_.Host("C:\\Scratch")); }
    platform::Services GetServices() override {
        platform::Services services = machine_->GetServices();
        services.files = &files_;
        return services;
    }
    std::string ScratchFolder() override { return "C:\\Scratch"; }
    std::string ScratchKey() override { return "Software\\TarnwellContract"; }

private:
    TempMachine machine_;
    platform::ForwardingFileSystem files_{*machine_->GetServices().files};
    platform::ScopedPlatform scope_{platform::Services{.files = &files_}};
};

} // namespace

std::unique_ptr<ContractEnvironment> MakeContractEnvironment() {
    return std::make_unique<PortableEnvironment>();
}

} // namespace tarn::test
