// The library's exception classes. Abnormal conditions of the library descend from
// ECustomTarnwellAbnormal; the install components' errors descend from IException, whose message
// is translated before it is formatted.
#pragma once

#include "framework/Exception.h"

#include <cstdint>
#include <functional>
#include <string>

namespace tarn {

class EAI : public Exception {
public:
    using Exception::Exception;
};

class EAIUserAbort : public EAI {
public:
    using EAI::EAI;
    EAIUserAbort() : EAI("Installation aborted by the user") {}
};

class EUserAbortInstall : public Exception {
public:
    using Exception::Exception;
};

class ECustomTarnwellAbnormal : public Exception {
public:
    using Exception::Exception;
};

class ETarnwellAbnormal : public ECustomTarnwellAbnormal {
public:
    using ECustomTarnwellAbnormal::ECustomTarnwellAbnormal;
};

class ETarnCompress : public ETarnwellAbnormal {
public:
    using ETarnwellAbnormal::ETarnwellAbnormal;
};

class EtcDiskFull : public ETarnCompress {
public:
    using ETarnCompress::ETarnCompress;
};

class EtcAborted : public ETarnCompress {
public:
    using ETarnCompress::ETarnCompress;
};

class EAPIRoutines : public ETarnwellAbnormal {
public:
    using ETarnwellAbnormal::ETarnwellAbnormal;
};

class EProgramLauncher : public ETarnwellAbnormal {
public:
    using ETarnwellAbnormal::ETarnwellAbnormal;
};

// A program start that failed, with its program-start error code.
class EProgramLauncherFailed : public EProgramLauncher {
public:
    EProgramLauncherFailed(std::string_view message, std::int32_t errorCode)
        : EProgramLauncher(message), ErrorCode(errorCode) {}
    std::int32_t ErrorCode;
};

class EIRCannotWriteValue : public Exception {
public:
    using Exception::Exception;
};

// Translation of the install components' messages; the translator installs itself here.
// Unset, texts stay as they are.
std::function<std::string(const std::string&)>& ExceptionTranslator();
std::string TranslateExceptionText(const std::string& text);

class IException : public Exception {
public:
    IException() = default;
    explicit IException(std::string_view message)
        : Exception(TranslateExceptionText(std::string(message))) {}
    template <class Arg, class... Rest>
    IException(std::string_view format, const Arg& arg, const Rest&... rest)
        : Exception(Format(TranslateExceptionText(std::string(format)), arg, rest...)) {}
};

class IEPathSpecifier : public IException {
public:
    using IException::IException;
};

class IEPathSpecifierList : public IException {
public:
    using IException::IException;
};

class IEPathSpecifierClassList : public IException {
public:
    using IException::IException;
};

class IEInstall : public IException {
public:
    using IException::IException;
};

class IEFileContainer : public IException {
public:
    using IException::IException;
};

class IEfcSetAttributes : public IEFileContainer {
public:
    using IEFileContainer::IEFileContainer;
};

} // namespace tarn
