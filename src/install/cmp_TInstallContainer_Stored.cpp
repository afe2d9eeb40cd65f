#include "install/cmp_TInstallContainer_Stored.h"

#include "framework/Form.h"
#include "framework/TextCase.h"
#include "install/cmp_TInstallContainer.h"
#include "install/cmp_TNetInstallLocation.h"
#include "paths/StoredSpecifiers.h"
#include "version/VersionTables.h"

namespace tarn::install {

namespace {

// Version codes as Windows families: 1 and 5 are never reported and have plain names.
constexpr const char* kOperatingSystems[16] = {
    "osWin32s", "os1", "osNT4", "osNT3", "osNT6", "os5",  "osNT5", "osWin95",
    "osWinME",  "os9", "os10",  "os11",  "os12",  "os13", "os14",  "os15"};

TValue SetValue(TNumberSet set, std::string (*name)(int)) {
    std::vector<std::string> items;
    for (int i = 0; i < 16; ++i)
        if (set.Contains(i)) items.push_back(name(i));
    return TValue::Set(std::move(items));
}

TNumberSet ReadSet(const TValue& value, std::string (*name)(int), int limit) {
    TNumberSet set;
    for (const std::string& item : AsItems(value)) {
        int found = -1;
        for (int i = 0; i < limit && found < 0; ++i)
            if (SameTextAscii(item, name(i))) found = i;
        if (found < 0) throw EPropertyError("%s is not a member of the set", item);
        set.Include(found);
    }
    return set;
}

template <class T, class M> void Flag(TClassInfo& info, const char* name, M T::*member, bool def) {
    info.Property<T>(
        name, [member](T& t) { return TValue::Boolean(t.*member); },
        [member](T& t, const TValue& v) { t.*member = AsBoolean(v); }, TValue::Boolean(def));
}

void RegisterContainer(TClassRegistry& registry) {
    TClassInfo& node = registry.RegisterClass<TInstallContainer>("TInstallContainer");
    Flag(node, "Include", &TInstallContainer::Include, true);
    Flag(node, "RecordForUninstall", &TInstallContainer::RecordForUninstall, true);
    node.Property<TInstallContainer>(
        "InstallTypes",
        [](TInstallContainer& c) { return SetValue(c.InstallTypes, InstallTypeName); },
        [](TInstallContainer& c, const TValue& v) {
            c.InstallTypes = ReadSet(v, InstallTypeName, 8);
        },
        SetValue({0, 1, 2}, InstallTypeName));
    node.Property<TInstallContainer>(
        "OperatingSystems",
        [](TInstallContainer& c) { return SetValue(c.OperatingSystems, OperatingSystemName); },
        [](TInstallContainer& c, const TValue& v) {
            c.OperatingSystems = ReadSet(v, OperatingSystemName, 16);
        },
        SetValue({1, 2, 4, 6, 7, 8}, OperatingSystemName));
    node.Property<TInstallContainer>(
        "SubPath", [](TInstallContainer& c) { return TValue::String(c.SubPath()); },
        [](TInstallContainer& c, const TValue& v) { c.SetSubPath(AsString(v)); },
        TValue::String(""));
    node.Reference<TInstallContainer, paths::TCustomPathSpecifier>(
        "DestinationSpecifier", [](TInstallContainer& c) { return c.DestinationSpecifier(); },
        [](TInstallContainer& c, paths::TCustomPathSpecifier* s) { c.SetDestinationSpecifier(s); });

    registry.RegisterClass<TInstallObject>("TInstallObject", "TInstallContainer")
        .Reference<TInstallObject, TInstallContainer>(
            "Container", [](TInstallObject& o) { return o.GetContainer(); },
            [](TInstallObject& o, TInstallContainer* c) { o.SetContainer(c); });

    TClassInfo& related = registry.RegisterClass<TFileRelated>("TFileRelated", "TInstallObject");
    related.Reference<TFileRelated, paths::TCustomPathSpecifier>(
        "ArchiveSpecifier", [](TFileRelated& f) { return f.ArchiveSpecifier(); },
        [](TFileRelated& f, paths::TCustomPathSpecifier* s) { f.SetArchiveSpecifier(s); });
    related.Property<TFileRelated>(
        "ArchiveSubPath", [](TFileRelated& f) { return TValue::String(f.ArchiveSubPath()); },
        [](TFileRelated& f, const TValue& v) { f.SetArchiveSubPath(AsString(v)); },
        TValue::String(""));
    related.Property<TFileRelated>(
        "NetFile", [](TFileRelated& f) { return TValue::Boolean(f.NetFile()); },
        [](TFileRelated& f, const TValue& v) { f.SetNetFile(AsBoolean(v)); },
        TValue::Boolean(true));
    related.Reference<TFileRelated, TCustomNetInstallLocation>(
        "NetLocation", [](TFileRelated& f) { return f.NetLocation(); },
        [](TFileRelated& f, TCustomNetInstallLocation* l) { f.SetNetLocation(l); });
    Flag(related, "AppendToArchive", &TFileRelated::AppendToArchive, false);

    TClassInfo& files = registry.RegisterClass<TFileContainer>("TFileContainer", "TFileRelated");
    files.Property<TFileContainer>(
        "Caption", [](TFileContainer& c) { return TValue::String(c.CaptionText); },
        [](TFileContainer& c, const TValue& v) { c.CaptionText = AsString(v); },
        TValue::String(""));
    Flag(files, "NotifyInstallDone", &TFileContainer::NotifyInstallDone, true);
}

void RegisterGroup(TClassRegistry& registry) {
    TClassInfo& group =
        registry.RegisterClass<TCustomInstallGroup>("TCustomInstallGroup", "TFileContainer");
    using O = TInstallGroupDialogOptions;
    auto option = [&group](const char* name, bool O::*member, bool def) {
        group.Property<TCustomInstallGroup>(
            std::string("DialogOptions.") + name,
            [member](TCustomInstallGroup& g) { return TValue::Boolean(g.DialogOptions().*member); },
            [member](TCustomInstallGroup& g, const TValue& v) {
                g.DialogOptions().*member = AsBoolean(v);
            },
            TValue::Boolean(def));
    };
    option("AllowChangeDir", &O::AllowChangeDir, true);
    option("AllowExcludeInclude", &O::AllowExcludeInclude, true);
    option("DisplayDirectory", &O::DisplayDirectory, true);
    option("ShowRegardlessOfInclude", &O::ShowRegardlessOfInclude, true);
    option("HasPassword", &O::HasPassword, false);
    group.Property<TCustomInstallGroup>(
        "DialogOptions.Password",
        [](TCustomInstallGroup& g) { return TValue::String(g.DialogOptions().Password()); },
        [](TCustomInstallGroup& g, const TValue& v) { g.DialogOptions().SetPassword(AsString(v)); },
        TValue::String(""));
    group.Property<TCustomInstallGroup>(
        "DialogOptions.Description",
        [](TCustomInstallGroup& g) {
            std::vector<std::string> lines;
            const TStringList& d = g.DialogOptions().Description();
            for (int i = 0; i < d.Count(); ++i)
                lines.push_back(d.Strings(i));
            return TValue::Strings(std::move(lines));
        },
        [](TCustomInstallGroup& g, const TValue& v) {
            TStringList& d = g.DialogOptions().DescriptionLines();
            d.Clear();
            for (const std::string& line : AsItems(v))
                d.Add(line);
        },
        TValue::Strings({}));
    group.Property<TCustomInstallGroup>(
        "DialogOptions.SmallIcon",
        [](TCustomInstallGroup& g) { return TValue::String(g.DialogOptions().SmallIcon); },
        [](TCustomInstallGroup& g, const TValue& v) { g.DialogOptions().SmallIcon = AsString(v); },
        TValue::String(""));
    registry.RegisterClass<TInstallGroup>("TInstallGroup", "TCustomInstallGroup");
}

// The members of an install file's attribute set, by bit.
constexpr const char* kAttributeNames[9] = {"faArchive",  "faCompressed", "faDirectory",
                                            "faHidden",   "faNormal",     "faOffline",
                                            "faReadOnly", "faSystem",     "faTemporary"};

std::string AttributeName(int bit) {
    return bit >= 0 && bit < 9 ? kAttributeNames[bit] : "";
}

std::string LaunchKindName(int kind) {
    return "lk" + std::to_string(kind);
}

TValue AttributeValue(TFileAttributeSet set) {
    std::vector<std::string> items;
    for (int i = 0; i < 9; ++i)
        if (set.Contains(static_cast<TFileAttribute>(i))) items.push_back(AttributeName(i));
    return TValue::Set(std::move(items));
}

TFileAttributeSet ReadAttributes(const TValue& value) {
    const TNumberSet bits = ReadSet(value, AttributeName, 9);
    TFileAttributeSet set;
    for (int bit = 0; bit < 9; ++bit)
        if (bits.Contains(bit)) set.Include(static_cast<TFileAttribute>(bit));
    return set;
}

// The kind, the source and the destination name are set through their setters: while loading
// they only store, so the order of the stored values does not matter.
void RegisterInstallFile(TClassRegistry& registry) {
    using F = TCustomInstallFile;
    TClassInfo& file = registry.RegisterClass<F>("TCustomInstallFile", "TFileRelated");
    file.Property<F>(
        "NetFile", [](F& f) { return TValue::Boolean(f.NetFile()); },
        [](F& f, const TValue& v) { f.SetNetFile(AsBoolean(v)); }, TValue::Boolean(false));
    // The member id the archives know the file by: always kept with the form.
    file.Property<F>(
        "UniqueID", [](F& f) { return TValue::Integer(f.UniqueID()); },
        [](F& f, const TValue& v) { f.SetUniqueID(static_cast<int>(AsInteger(v))); }, {}, true);

    TClassInfo& published =
        registry.RegisterClass<TInstallFile>("TInstallFile", "TCustomInstallFile");
    auto text = [&published](const char* name, std::string F::*member) {
        published.Property<F>(
            name, [member](F& f) { return TValue::String(f.*member); },
            [member](F& f, const TValue& v) { f.*member = AsString(v); }, TValue::String(""));
    };
    published.Property<F>(
        "SourceDirectory", [](F& f) { return TValue::String(f.SourceDirectory); },
        [](F& f, const TValue& v) { f.SetSourceDirectory(AsString(v)); }, TValue::String(""));
    published.Property<F>(
        "SourceFileName", [](F& f) { return TValue::String(f.SourceFileName); },
        [](F& f, const TValue& v) { f.SetSourceFileName(AsString(v)); }, TValue::String(""));
    published.Property<F>(
        "DestFileName", [](F& f) { return TValue::String(f.DestFileName()); },
        [](F& f, const TValue& v) { f.SetDestFileName(AsString(v)); }, TValue::String(""));
    published.Property<F>(
        "FileKind", [](F& f) { return TValue::Integer(f.FileKind()); },
        [](F& f, const TValue& v) { f.SetFileKind(static_cast<std::uint8_t>(AsInteger(v))); },
        TValue::Integer(0));
    published.Property<F>(
        "RegisterActiveX", [](F& f) { return TValue::Boolean(f.RegisterActiveX()); },
        [](F& f, const TValue& v) { f.SetRegisterActiveX(AsBoolean(v)); }, TValue::Boolean(false));
    published.Property<F>(
        "Overwrite",
        [](F& f) { return TValue::Ident(std::string(version::OverwriteTypeName(f.Overwrite))); },
        [](F& f, const TValue& v) {
            const auto rule = version::OverwriteTypeFromName(AsIdent(v));
            if (!rule) throw EPropertyError("%s is not an overwrite type", AsIdent(v));
            f.Overwrite = *rule;
        },
        TValue::Ident("owAlways"));
    Flag(published, "SharedFile", &F::SharedFile, false);
    Flag(published, "HelpFile", &F::HelpFile, false);
    text("LaunchParameters", &F::LaunchParameters);
    text("Version", &F::Version);
    published.Property<F>(
        "LaunchKinds", [](F& f) { return SetValue(f.LaunchKinds, LaunchKindName); },
        [](F& f, const TValue& v) { f.LaunchKinds = ReadSet(v, LaunchKindName, 8); },
        SetValue({}, LaunchKindName));
    published.Property<F>(
        "Attributes", [](F& f) { return AttributeValue(f.Attributes); },
        [](F& f, const TValue& v) { f.Attributes = ReadAttributes(v); }, AttributeValue({}));
    published.Property<F>(
        "FileSize", [](F& f) { return TValue::Integer(f.FileSize); },
        [](F& f, const TValue& v) { f.FileSize = AsInteger(v); }, TValue::Integer(0));
    published.Property<F>(
        "FileDate", [](F& f) { return TValue::Float(f.FileDate); },
        [](F& f, const TValue& v) { f.FileDate = AsFloat(v); }, TValue::Float(0));
}

} // namespace

std::string OperatingSystemName(int code) {
    return code >= 0 && code < 16 ? kOperatingSystems[code] : "";
}

std::string InstallTypeName(int type) {
    return "it" + std::to_string(type);
}

void RegisterInstallClasses(TClassRegistry& registry) {
    RegisterFormClasses(registry);
    paths::RegisterPathSpecifierClasses(registry);
    RegisterNetInstallLocationClasses(registry);
    RegisterContainer(registry);
    RegisterGroup(registry);
    RegisterInstallFile(registry);
    registry.RegisterClass<TpsFileContainer>("TpsFileContainer", "TCustomPathSpecifier")
        .Reference<TpsFileContainer, TFileContainer>(
            "FileContainer", [](TpsFileContainer& s) { return s.FileContainer(); },
            [](TpsFileContainer& s, TFileContainer* c) { s.SetFileContainer(c); });
}

} // namespace tarn::install
