// The portable backend under the contract suites: a fresh embedded machine per test.
#include "platform/contract/ContractEnvironment.h"
#include "support/TempMachine.h"

namespace tarn::test {
namespace {

class PortableEnvironment : public ContractEnvironment {
public:
    PortableEnvironment() { std::filesystem::create_directories(machine_.Host("C:\\Scratch")); }
    platform::Services GetServices() override { return machine_->GetServices(); }
    std::string ScratchFolder() override { return "C:\\Scratch"; }
    std::string ScratchKey() override { return "Software\\TarnwellContract"; }

private:
    TempMachine machine_;
};

} // namespace

std::unique_ptr<ContractEnvironment> MakeContractEnvironment() {
    return std::make_unique<PortableEnvironment>();
}

} // namespace tarn::test
