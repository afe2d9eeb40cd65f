#include "platform/portable/RunningPrograms.h"

#include <algorithm>
#include <sys/wait.h>

namespace tarn::platform::portable {

std::shared_ptr<RunningPrograms::Child> RunningPrograms::Add(pid_t pid,
                                                             std::filesystem::path program) {
    auto child = std::make_shared<Child>();
    child->pid = pid;
    std::error_code ec;
    auto canonical = std::filesystem::weakly_canonical(program, ec);
    child->program = ec ? std::move(program) : std::move(canonical);
    std::lock_guard lock(mutex_);
    children_.push_back(child);
    return child;
}

bool RunningPrograms::Poll(Child& child) {
    if (child.exited) return true;
    const pid_t r = ::waitpid(child.pid, &child.status, WNOHANG);
    if (r == child.pid || r < 0) child.exited = true;
    return child.exited;
}

bool RunningPrograms::Holds(const std::filesystem::path& host) {
    std::lock_guard lock(mutex_);
    std::erase_if(children_, [](const auto& child) { return Poll(*child); });
    if (children_.empty()) return false;
    std::error_code ec;
    const auto canonical = std::filesystem::weakly_canonical(host, ec);
    const auto& wanted = ec ? host : canonical;
    return std::any_of(children_.begin(), children_.end(),
                       [&](const auto& child) { return child->program == wanted; });
}

} // namespace tarn::platform::portable
