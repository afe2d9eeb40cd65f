// Runs a function when the scope ends, also when an exception leaves it.
#pragma once

#include <utility>

namespace tarn::archive {

template <class F> class ScopeExit {
public:
    explicit ScopeExit(F f) : f_(std::move(f)) {}
    ~ScopeExit() { f_(); }
    ScopeExit(const ScopeExit&) = delete;
    ScopeExit& operator=(const ScopeExit&) = delete;

private:
    F f_;
};

} // namespace tarn::archive
