// The fifteen built-in path specifiers.
#pragma once

#include "paths/cmp_TPathSpecifier.h"

namespace tarn::paths {

// A standard specifier with fixed texts; the concrete classes add their expansion rule.
class TTextedPathSpecifier : public TStandardPathSpecifier {
public:
    std::string GetDescription() override { return description_; }
    std::string GetCaption() override { return caption_; }

protected:
    TTextedPathSpecifier(TComponent* owner, const char* identifier, const char* description,
                         const char* caption)
        : TStandardPathSpecifier(owner), description_(description), caption_(caption) {
        SetIdentifier(identifier);
    }

private:
    std::string description_;
    std::string caption_;
};

#define TARN_PATH_SPECIFIER(Class)                                                                 \
    static constexpr std::string_view kClassName = #Class;                                         \
    explicit Class(TComponent* owner);                                                             \
    std::string_view ClassName() const override {                                                  \
        return kClassName;                                                                         \
    }                                                                                              \
    std::string ExpandPath(TComponent* object) override;

class TpsBDEDLL : public TTextedPathSpecifier {
public:
    TARN_PATH_SPECIFIER(TpsBDEDLL)
};

class TpsCommonFiles : public TTextedPathSpecifier {
public:
    TARN_PATH_SPECIFIER(TpsCommonFiles)
};

class TpsContainerArchiveFile : public TTextedPathSpecifier {
public:
    TARN_PATH_SPECIFIER(TpsContainerArchiveFile)
    void CheckObject(TComponent* object) override;
};

class TpsContainerDestDir : public TTextedPathSpecifier {
public:
    TARN_PATH_SPECIFIER(TpsContainerDestDir)
    void CheckObject(TComponent* object) override;
    // The container's own texts; the plain description when the object cannot use this
    // specifier. Never throw.
    std::string GetObjectDescription(TComponent* object) override;
    std::string GetObjectCaption(TComponent* object) override;
};

class TpsDesktopMenu : public TTextedPathSpecifier {
public:
    TARN_PATH_SPECIFIER(TpsDesktopMenu)
};

class TpsInstallSource : public TTextedPathSpecifier {
public:
    TARN_PATH_SPECIFIER(TpsInstallSource)
    void CheckObject(TComponent* object) override;
};

class TpsMainInstall : public TTextedPathSpecifier {
public:
    TARN_PATH_SPECIFIER(TpsMainInstall)
    void CheckObject(TComponent* object) override;
};

class TpsMainArchiveFile : public TTextedPathSpecifier {
public:
    TARN_PATH_SPECIFIER(TpsMainArchiveFile)
    void CheckObject(TComponent* object) override;
    // The folder the main archive lies in when that is not the install source folder.
    std::string ArchiveFolder;
};

class TpsProgramFiles : public TTextedPathSpecifier {
public:
    TARN_PATH_SPECIFIER(TpsProgramFiles)
};

class TpsProgramMenu : public TTextedPathSpecifier {
public:
    TARN_PATH_SPECIFIER(TpsProgramMenu)
};

class TpsProgramMenuAllUsers : public TTextedPathSpecifier {
public:
    TARN_PATH_SPECIFIER(TpsProgramMenuAllUsers)
};

class TpsStartMenu : public TTextedPathSpecifier {
public:
    TARN_PATH_SPECIFIER(TpsStartMenu)
};

class TpsStartupMenu : public TTextedPathSpecifier {
public:
    TARN_PATH_SPECIFIER(TpsStartupMenu)
};

class TpsSystem : public TTextedPathSpecifier {
public:
    TARN_PATH_SPECIFIER(TpsSystem)
};

class TpsWindow : public TTextedPathSpecifier {
public:
    TARN_PATH_SPECIFIER(TpsWindow)
};

#undef TARN_PATH_SPECIFIER

inline constexpr std::string_view SNoInstallComponent =
    "There is no TInstall component so the path specifier could not be expanded for %s";
inline constexpr std::string_view SMainInstallOnInstall =
    "Cannot use the ddMainInstallDir path specifier for a TInstall component";
inline constexpr std::string_view SMustBeInstallObject =
    "%s must be a %s to use the %s path specifier";
inline constexpr std::string_view SArchiveFileNoContainer =
    "Cannot use ddContainerArchiveFile for %s unless you assign a Container";
inline constexpr std::string_view SArchiveFileNotFileRelated =
    "Cannot use the ddContainerArchiveFile path specifier for %s because the Container is not a "
    "TFileRelated descendant";
inline constexpr std::string_view SDestDirNoContainer =
    "Cannot use ddContainerDestDir for %s unless you assign a Container";
inline constexpr std::string_view SNoSelfExtractName =
    "You forgot to pass in the name of the self-extracting executable. Usage example: "
    "\"-eSetup.exe\"";

} // namespace tarn::paths
