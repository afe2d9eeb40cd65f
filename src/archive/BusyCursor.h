// The hourglass cursor for the length of an archive operation.
#pragma once

#include "platform/Platform.h"

namespace tarn::archive {

class BusyCursor {
public:
    BusyCursor() { platform::UI().SetBusy(true); }
    ~BusyCursor() { platform::UI().SetBusy(false); }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;
};

} // namespace tarn::archive
