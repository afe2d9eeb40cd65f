// What the install file needs beyond the tree: the messages it raises and the parts of the
// install component it talks to.
#pragma once

#include <string>
#include <string_view>

namespace tarn::install {

// The install component's side of a file's install. The install component implements it beside
// IInstallRunner; without it every file decides its own distribution (2), no archive is shared
// with GlobalCompress and nothing is left for the reboot.
class IFileInstallDriver {
public:
    virtual ~IFileInstallDriver() = default;
    // 0 every archive travels with the setup, 1 every file comes through a net location, 2 each
    // file's NetFile decides.
    virtual int DistributeType() const = 0;
    // The archive GlobalCompress is pointed at.
    virtual std::string ArchiveFile() const = 0;
    virtual void SetRebootNeeded() = 0;
    // Work for after the reboot: kind 0 a file to complete (by name), 1 a file to delete.
    virtual void AddUnfinished(const std::string& item, int kind) = 0;
};

// The driver's file side, when the install component in force has one.
IFileInstallDriver* FileInstallDriver();
int DistributeType();

inline constexpr std::string_view SNotInFileContainer =
    "The following TInstallFile component %s requires the Container property to be a component "
    "descended from the TFileContainer component";
inline constexpr std::string_view SDuplicateFile = "There is already a file with the name :%s";
inline constexpr std::string_view SBlankDestination =
    "Cannot compress,copy, or install the following file because it's destination directory is "
    "blank. File is :%s";
inline constexpr std::string_view SBlankArchive =
    "Cannot either compress or decompress the following file because it's archive file property "
    "is blank. File is :%s";
inline constexpr std::string_view SSourceUnreadable =
    "Could not open or find the following file when trying to read the Size, Date, and Version :%s";
inline constexpr std::string_view SNoInfoContainer =
    "%s cannot perform ReadInfoFromArchive because either no container is assigned or the "
    "container is not TFileContainer";
inline constexpr std::string_view SCopyThisFile = "Copy This File %s?";
inline constexpr std::string_view SSharedCountFailed =
    "Cannot update the DLL count for the following file :%s:";
inline constexpr std::string_view SSharedKeyFailed =
    "Could not open the key SharedDLLs key in the registry. File component %s. GetLastError "
    "return: %d";
inline constexpr std::string_view SBatchNotRegistered =
    "%s cannot register a routine in the register to move the files after the computer is reboot";
inline constexpr std::string_view SLoadLibraryFailed =
    "Could not register the ActiveX component, %s, because the LoadLibrary(%s) procedure returned "
    "a value of 0. The file component is %s. The following value is the value of the GetLastError "
    "function: %d";
inline constexpr std::string_view SNoRegisterEntry =
    "Could not register the ActiveX component, %s, because the DllRegisterServer function could "
    "not be found. The file component is %s. The following value is the value of the GetLastError "
    "function: %d";
inline constexpr std::string_view SRegisterEntryFailed =
    "Could not register the ActiveX component, %s, because the DllRegisterServer function "
    "returned a value of %d. The file component is %s";
inline constexpr std::string_view SNoTypeLibraries =
    "Could not register the type library %s: this system offers no type library registration. "
    "The file component is %s";
// The identifier table and the record are bounded where the original kept searching.
inline constexpr std::string_view SIdLimit =
    "Cannot create another install file: the limit of 2,000 install files was reached";
inline constexpr std::string_view SRecordNotWritten =
    "The uninstall record could not be written for the following file :%s";

// Overflow keys tried before a record entry is given up.
inline constexpr int kRecordKeyLimit = 100;

// Lists an ordinary file in the uninstall record below keyPath ("Files", then its overflow
// keys); IECustomInstallFile naming the file when no key takes it.
// A path the record lists already is not listed again.
void RecordFileForUninstall(const std::string& keyPath, const std::string& path);
// Drops what is known of the records' entries (a new machine or a new run).
void ForgetRecordIndex();

} // namespace tarn::install
