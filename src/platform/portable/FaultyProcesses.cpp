#include "platform/portable/FaultyProcesses.h"

#include "platform/portable/PathMapper.h"
#include "platform/portable/PortableProcesses.h"
#include "platform/portable/ShortNames.h"

namespace tarn::platform::portable {

FaultyProcesses::FaultyProcesses(PortableProcesses& inner, const PathMapper& paths,
                                 const Faults& faults)
    : ForwardingProcesses(inner), programs_(inner), paths_(paths), faults_(faults) {}

DWORD FaultyProcesses::CreateProcess(const ProcessStart& start, HANDLE& process) {
    const auto& failed = faults_.failedStarts;
    if (failed.empty()) return ForwardingProcesses::CreateProcess(start, process);
    process = 0;
    if (auto it = failed.find("*"); it != failed.end()) return it->second;
    const std::string program = programs_.ProgramPath(start);
    for (const auto& [path, code] : failed)
        if (!program.empty() && UpperName(paths_.FullPath(path)) == UpperName(program)) return code;
    return ForwardingProcesses::CreateProcess(start, process);
}

} // namespace tarn::platform::portable
