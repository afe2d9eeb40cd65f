// The install tree's error classes and their messages. The texts are kept exactly as they have
// always read, slips included: translation tables and callers match them.
#pragma once

#include "routines/routines_Exceptions.h"

#include <string_view>

namespace tarn::install {

using tarn::IEfcSetAttributes;
using tarn::IEFileContainer;
using tarn::IException;

class IEInstallContainer : public IException {
public:
    using IException::IException;
};
class IEInstallGroup : public IException {
public:
    using IException::IException;
};
class IEFileRelated : public IException {
public:
    using IException::IException;
};
class IEFileRel_NoNetLocation : public IEFileRelated {
public:
    using IEFileRelated::IEFileRelated;
};
class IEfcDuplicateFile : public IEFileContainer {
public:
    using IEFileContainer::IEFileContainer;
};
class IECustomInstallFile : public IException {
public:
    using IException::IException;
};
class IECustomInstallFileList : public IException {
public:
    using IException::IException;
};
class IEContainerList : public IException {
public:
    using IException::IException;
};

inline constexpr std::string_view SNoRegisteredType = "Class must declare a registered type";
inline constexpr std::string_view SHelperIndex =
    "Tried to reference a helper component in the following component: %s. The following index "
    "was used: %d";
inline constexpr std::string_view SBadHelperOfClass =
    "Bad call to the Comp procedure which returns a TInstallObject for a TInstallContainer "
    "component. The parameters are probably reversed. Index: %d, ComponentType: %d";
inline constexpr std::string_view SBlankHelper = "Cannot add a blank base helper component to %s";
inline constexpr std::string_view SCircularReference = "Circular reference";
inline constexpr std::string_view SGroupContainer =
    "A TInstallGroup component can only be contained by a TInstall, or another TInstallGroup "
    "component";
inline constexpr std::string_view SFileContainerSpecifier =
    "A file container cannot reference another file container or group";
inline constexpr std::string_view SBlankContainerListEntry =
    "Cannot add a blank entry to the TInstallContainerList object";
inline constexpr std::string_view SBlankFileListEntry =
    "Cannot add a blank entry to the TCustomInstallFileList object";

// Information events.
inline constexpr std::string_view SNilParameter = "%s got a nil PO parameter";
inline constexpr std::string_view SNotInstallFile =
    "DoInformationEventControl parameter is not TInstallFile";
inline constexpr std::string_view SNotList = "DoInformationEventControl--PO is not a TList object";
inline constexpr std::string_view STooFewParameters =
    "DoInformationEventControl--Not engouh parameters for status event";
inline constexpr std::string_view SBadFirstParameter =
    "DoInformationEventControl says bad first parameter";
inline constexpr std::string_view SBadSecondParameter =
    "DoInformationEventControl says bad second parameter";
inline constexpr std::string_view SBadDiskParameter =
    "DoInformationEventControl says bad %d parameter";
inline constexpr std::string_view SNotDownloadStatus =
    "The PO object passed to %s is not a TDownloadStatusParameter object";

// Net locations and downloads.
inline constexpr std::string_view SNoNetLocation = "Could not find a net install location for %s";
inline constexpr std::string_view SOwnLocationIncomplete =
    "%s could not install itself because the TNetLocation component's properties, in the "
    "NetLocation property, have not been filled in";
inline constexpr std::string_view SDriverLoginIncomplete =
    "%s could not install itself because the LoginInformation property of the TInstall component "
    "has not been properly filled in";
inline constexpr std::string_view SNotDownloaded =
    "%s has not yet downloaded the archive file and therefore cannot retrieve the path of the "
    "archive file";
inline constexpr std::string_view SInsertDisk = "Please insert disk #%d";

} // namespace tarn::install
