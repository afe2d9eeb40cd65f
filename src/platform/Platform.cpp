#include "platform/Platform.h"

#include <cstdio>
#include <cstdlib>

namespace tarn::platform {
namespace {

struct State {
    Services services;
    bool installed = false;
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
    if (!s.console) s.console = base.console;
    if (!s.downloads) s.downloads = base.downloads;
    return s;
}

} // namespace

void NoBackendInstalled() {
    std::fputs("no platform backend installed: the program's main (or the test) puts one in "
               "force with platform::ScopedPlatform before the platform services are used\n",
               stderr);
    std::abort();
}

const Services& Current() {
    const State& st = state();
    if (!st.installed) NoBackendInstalled();
    return st.services;
}

ScopedPlatform::ScopedPlatform(const Services& services)
    : saved_(state().services), hadServices_(state().installed) {
    State& st = state();
    st.services = Merge(services, st.services);
    st.installed = true;
}

ScopedPlatform::~ScopedPlatform() {
    State& st = state();
    st.services = saved_;
    st.installed = hadServices_;
}

} // namespace tarn::platform
