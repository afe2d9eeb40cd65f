// Program starts of the embedded machine with the injected failures of Faults::failedStarts.
#pragma once

#include "platform/ForwardingProcesses.h"
#include "platform/portable/Faults.h"

namespace tarn::platform::portable {

class PathMapper;
class PortableProcesses;

class FaultyProcesses : public ForwardingProcesses {
public:
    // All three must outlive this object; the faults are read on every start.
    FaultyProcesses(PortableProcesses& inner, const PathMapper& paths, const Faults& faults);

    // A start of a program listed in the faults (or of any program, with "*") fails with the
    // listed error, whether or not the program exists.
    DWORD CreateProcess(const ProcessStart& start, HANDLE& process) override;

private:
    PortableProcesses& programs_;
    const PathMapper& paths_;
    const Faults& faults_;
};

} // namespace tarn::platform::portable
