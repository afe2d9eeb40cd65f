#include "install/cmp_TInstall_Stored.h"

#include "framework/FormValue.h"
#include "install/cmp_TInstall.h"
#include "install/cmp_TInstallContainer_Stored.h"
#include "install/cmp_TNetInstallLocation.h"
#include "translator/StoredTranslator.h"

namespace tarn::install {

namespace {

template <class M> void Text(TClassInfo& info, const char* name, M member, const char* def) {
    info.Property<TCustomInstall>(
        name, [member](TCustomInstall& i) { return TValue::String(member(i)); },
        [member](TCustomInstall& i, const TValue& v) { member(i) = AsString(v); },
        TValue::String(def));
}

template <class M> void Flag(TClassInfo& info, const char* name, M member, bool def) {
    info.Property<TCustomInstall>(
        name, [member](TCustomInstall& i) { return TValue::Boolean(member(i)); },
        [member](TCustomInstall& i, const TValue& v) { member(i) = AsBoolean(v); },
        TValue::Boolean(def));
}

} // namespace

void RegisterInstallDriverClasses(TClassRegistry& registry) {
    if (registry.FindClass("TInstall")) return;
    RegisterInstallClasses(registry);
    if (!registry.FindClass("TTranslator")) translator::RegisterTranslatorClass(registry);

    TClassInfo& install =
        registry.RegisterClass<TCustomInstall>("TCustomInstall", "TFileContainer");
    Text(
        install, "ComponentVersion",
        [](TCustomInstall& i) -> std::string& { return i.ComponentVersion; }, "5.11.08");
    Text(
        install, "Caption", [](TCustomInstall& i) -> std::string& { return i.CaptionText; },
        "TInstall component");
    Flag(
        install, "AutoRun", [](TCustomInstall& i) -> bool& { return i.AutoRun; }, true);
    install.Property<TCustomInstall>(
        "UseLoadingProgram",
        [](TCustomInstall& i) { return TValue::Boolean(i.UseLoadingProgram()); },
        [](TCustomInstall& i, const TValue& v) { i.SetUseLoadingProgram(AsBoolean(v)); },
        TValue::Boolean(true));
    install.Property<TCustomInstall>(
        "Maximized", [](TCustomInstall& i) { return TValue::Boolean(i.Maximized()); },
        [](TCustomInstall& i, const TValue& v) { i.SetMaximized(AsBoolean(v)); },
        TValue::Boolean(true));
    install.Property<TCustomInstall>(
        "HideForm", [](TCustomInstall& i) { return TValue::Boolean(i.HideForm()); },
        [](TCustomInstall& i, const TValue& v) { i.SetHideForm(AsBoolean(v)); },
        TValue::Boolean(false));
    install.Property<TCustomInstall>(
        "DistributeType", [](TCustomInstall& i) { return TValue::Integer(i.DistributeType()); },
        [](TCustomInstall& i, const TValue& v) {
            const auto n = AsInteger(v);
            if (n < 0 || n > 2) throw EPropertyError("DistributeType takes 0, 1 or 2, not %d", n);
            i.SetDistributeType(static_cast<int>(n));
        },
        TValue::Integer(0));
    install.Reference<TCustomInstall, TCustomNetInstallLocation>(
        "NetLocation", [](TCustomInstall& i) { return i.InstallNetLocation(); },
        [](TCustomInstall& i, TCustomNetInstallLocation* l) { i.SetNetLocation(l); });
    Text(
        install, "InstallInformation.CompanyName",
        [](TCustomInstall& i) -> std::string& { return i.InstallInformation().CompanyName; },
        "My Company");
    Text(
        install, "InstallInformation.ProductName",
        [](TCustomInstall& i) -> std::string& { return i.InstallInformation().ProductName; },
        "My product");
    Text(
        install, "InstallInformation.Version",
        [](TCustomInstall& i) -> std::string& { return i.InstallInformation().Version; }, "1.0");
    Flag(
        install, "BuildInfo.AddUninstallOnCreate",
        [](TCustomInstall& i) -> bool& { return i.BuildInfo().AddUninstallOnCreate; }, true);
    struct BuildText {
        const char* name;
        std::string TBuildInfo::*member;
        const char* def;
    };
    for (const BuildText& t :
         {BuildText{"AppName", &TBuildInfo::AppName, ""},
          BuildText{"AppURL", &TBuildInfo::AppURL, ""},
          BuildText{"BuildDirectory", &TBuildInfo::BuildDirectory, "c:\\build"},
          BuildText{"CredentialsFile", &TBuildInfo::CredentialsFile, ""},
          BuildText{"OCXName", &TBuildInfo::OCXName, "twsetup"},
          BuildText{"PrivateKeyFile", &TBuildInfo::PrivateKeyFile, ""},
          BuildText{"URLPath", &TBuildInfo::URLPath, ""}}) {
        auto member = t.member;
        install.Property<TCustomInstall>(
            std::string("BuildInfo.") + t.name,
            [member](TCustomInstall& i) { return TValue::String(i.BuildInfo().*member); },
            [member](TCustomInstall& i, const TValue& v) { i.BuildInfo().*member = AsString(v); },
            TValue::String(t.def));
    }
    Flag(
        install, "BuildInfo.SignCode",
        [](TCustomInstall& i) -> bool& { return i.BuildInfo().SignCode; }, false);
    install.Property<TCustomInstall>(
        "SetupFiles",
        [](TCustomInstall& i) {
            std::vector<std::string> lines;
            for (int n = 0; n < i.SetupFiles().Count(); ++n)
                lines.push_back(i.SetupFiles().Strings(n));
            return TValue::Strings(std::move(lines));
        },
        [](TCustomInstall& i, const TValue& v) {
            TStringList lines;
            for (const std::string& line : AsItems(v))
                lines.Add(line);
            i.SetSetupFiles(lines);
        },
        TValue::Strings({}));
    registry.RegisterClass<TInstall>("TInstall", "TCustomInstall");
}

} // namespace tarn::install
