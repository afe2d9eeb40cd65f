// The location classes and their properties as a stored form names them.
#include "install/cmp_TNetInstallLocation.h"

namespace tarn::install {

namespace {

using Location = TCustomNetInstallLocation;

// An integer property that must lie in [0, max].
std::int64_t Bounded(const TValue& value, std::int64_t max, const char* name) {
    const std::int64_t n = AsInteger(value);
    if (n < 0 || n > max) throw EPropertyError("%d is not a valid %s", n, name);
    return n;
}

void LoginText(TClassInfo& info, const std::string& name, std::string TLoginInformation::*field) {
    info.Property<Location>(
        "LoginInformation." + name,
        [field](Location& l) { return TValue::String(l.LoginInformation.*field); },
        [field](Location& l, const TValue& v) { l.LoginInformation.*field = AsString(v); },
        TValue::String(""));
}

} // namespace

void RegisterNetInstallLocationClasses(TClassRegistry& registry) {
    TClassInfo& info = registry.RegisterClass<Location>(std::string(Location::kClassName));
    info.Property<Location>(
            "HostName", [](Location& l) { return TValue::String(l.HostName); },
            [](Location& l, const TValue& v) { l.HostName = AsString(v); }, TValue::String(""))
        .Property<Location>(
            "Port", [](Location& l) { return TValue::Integer(l.Port); },
            [](Location& l, const TValue& v) {
                l.Port = static_cast<unsigned>(Bounded(v, 65535, "port"));
            },
            TValue::Integer(0))
        .Property<Location>(
            "LoginInformation.Anonymous",
            [](Location& l) { return TValue::Boolean(l.LoginInformation.Anonymous); },
            [](Location& l, const TValue& v) { l.LoginInformation.Anonymous = AsBoolean(v); },
            TValue::Boolean(true));
    LoginText(info, "RootDirectory", &TLoginInformation::RootDirectory);
    LoginText(info, "Directory", &TLoginInformation::Directory);
    LoginText(info, "UserName", &TLoginInformation::UserName);
    LoginText(info, "Password", &TLoginInformation::Password);
    info.Property<Location>(
        "LoginInformation.Protocol",
        [](Location& l) { return TValue::Integer(l.LoginInformation.Protocol); },
        [](Location& l, const TValue& v) {
            l.LoginInformation.Protocol = static_cast<std::uint8_t>(Bounded(v, 255, "protocol"));
        },
        TValue::Integer(0));
    registry.RegisterClass<TNetInstallLocation>(std::string(TNetInstallLocation::kClassName),
                                                std::string(Location::kClassName));
}

} // namespace tarn::install
