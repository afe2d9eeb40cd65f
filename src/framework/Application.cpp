#include "framework/Application.h"

#include "platform/Platform.h"

namespace tarn {

namespace {
TApplication* current = nullptr;
} // namespace

TApplication& Application() {
    static TApplication fallback;
    return current ? *current : fallback;
}

ScopedApplication::ScopedApplication(TApplication& application) : previous_(current) {
    current = &application;
}

ScopedApplication::~ScopedApplication() {
    current = previous_;
}

void TApplication::HandleException(TComponent* sender, const std::exception& error) {
    if (OnException)
        OnException(sender, error);
    else
        ShowException(error);
}

void TApplication::ShowException(const std::exception& error) {
    platform::UI().Error("Error", error.what());
}

} // namespace tarn
