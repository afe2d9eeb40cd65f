#include "platform/Platform.h"

#include <cstdlib>

namespace tarn::platform {
namespace {

struct State {
    std::unique_ptr<Backend> defaultBackend;
    Services defaults;
    Services override;
    bool hasOverride = false;
};

State& state() {
    static State s;
    return s;
}

// Services with gaps filled from another set.
Services Merge(const Services& top, const Services& base) {
    Services s = top;
    if (!s.registry) s.registry = base.registry;
    if (!s.files) s.files = base.files;
    if (!s.profile) s.profile = base.profile;
    if (!s.processes) s.processes = base.processes;
    if (!s.libraries) s.libraries = base.libraries;
    if (!s.system) s.system = base.system;
    if (!s.reboot) s.reboot = base.reboot;
    if (!s.ui) s.ui = base.ui;
    if (!s.database) s.database = base.database;
    return s;
}

bool Complete(const Services& s) {
    return s.registry && s.files && s.profile && s.processes && s.libraries && s.system &&
           s.reboot && s.ui && s.database;
}

const Services& Defaults() {
    State& st = state();
    if (!st.defaultBackend) {
        st.defaultBackend = CreateDefaultBackend();
        st.defaults = st.defaultBackend->GetServices();
        // The default machine is written back when the program ends normally.
        static bool registered = false;
        if (!registered) {
            registered = true;
            std::atexit([] { ShutdownDefaultBackend(); });
        }
    }
    return st.defaults;
}

} // namespace

const Services& Current() {
    State& st = state();
    if (st.hasOverride && Complete(st.override)) return st.override;
    if (st.hasOverride) {
        st.override = Merge(st.override, Defaults());
        return st.override;
    }
    return Defaults();
}

void ShutdownDefaultBackend() {
    State& st = state();
    if (st.defaultBackend) {
        st.defaultBackend->Flush();
        st.defaultBackend.reset();
        st.defaults = Services{};
    }
}

ScopedPlatform::ScopedPlatform(const Services& services)
    : saved_(state().override), hadOverride_(state().hasOverride) {
    State& st = state();
    // Fill gaps from what is in force now, without creating the default machine needlessly.
    Services base = st.hasOverride ? st.override : st.defaults;
    st.override = Merge(services, base);
    st.hasOverride = true;
}

ScopedPlatform::~ScopedPlatform() {
    State& st = state();
    st.override = saved_;
    st.hasOverride = hadOverride_;
}

} // namespace tarn::platform
