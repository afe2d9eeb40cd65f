// TInstallInformation: the product the install component installs, by company, name and version.
#pragma once

#include <string>

namespace tarn::paths {

class TInstallInformation {
public:
    std::string CompanyName = "My Company";
    std::string ProductName = "My product";
    std::string Version = "1.0";

    bool operator==(const TInstallInformation&) const = default;
};

} // namespace tarn::paths
