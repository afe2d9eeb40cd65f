// The registry keys an install recorded, as the registry phase collects them.
#pragma once

#include "framework/StringList.h"

#include <cstdint>
#include <string>

namespace tarn::uninstall {

// Where one recorded key's details lie in the install record.
class TKeyInfoObject {
public:
    std::string RecordPath; // R\RegistryKeys\<entry>
    std::int32_t RootCode = 0;
};

// Recorded key paths with their TKeyInfoObject; the objects are freed by DeleteRecordedKeys.
class TSortableStringList : public TStringList {};

} // namespace tarn::uninstall
