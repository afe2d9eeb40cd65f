#include "platform/win32/Win32Backend.h"

#include "platform/win32/Win32Console.h"
#include "platform/win32/Win32DatabaseEngine.h"
#include "platform/win32/Win32Downloads.h"
#include "platform/win32/Win32FileSystem.h"
#include "platform/win32/Win32Libraries.h"
#include "platform/win32/Win32Processes.h"
#include "platform/win32/Win32Profile.h"
#include "platform/win32/Win32Reboot.h"
#include "platform/win32/Win32Registry.h"
#include "platform/win32/Win32SystemInfo.h"
#include "platform/win32/Win32UserInterface.h"

namespace tarn::platform::win32 {

Win32Backend::Win32Backend()
    : registry_(std::make_unique<Win32Registry>()), files_(std::make_unique<Win32FileSystem>()),
      profile_(std::make_unique<Win32Profile>()), processes_(std::make_unique<Win32Processes>()),
      libraries_(std::make_unique<Win32Libraries>()), system_(std::make_unique<Win32SystemInfo>()),
      reboot_(std::make_unique<Win32Reboot>()), ui_(std::make_unique<Win32UserInterface>()),
      database_(std::make_unique<Win32DatabaseEngine>()),
      console_(std::make_unique<Win32Console>()), downloads_(std::make_unique<Win32Downloads>()) {}

Win32Backend::~Win32Backend() = default;

Services Win32Backend::GetServices() {
    return {registry_.get(),  files_.get(),   profile_.get(),  processes_.get(),
            libraries_.get(), system_.get(),  reboot_.get(),   ui_.get(),
            database_.get(),  console_.get(), downloads_.get()};
}

} // namespace tarn::platform::win32
