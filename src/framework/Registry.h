// The framework's registry class: a root key, one current key with its path, and value access
// by name. Descendants choose the access rights by overriding the key operations.
#pragma once

#include "framework/Exception.h"
#include "platform/WinTypes.h"

#include <cstdint>
#include <string>
#include <vector>

namespace tarn {

class TStringList;

class ERegistryException : public Exception {
public:
    using Exception::Exception;
};

inline constexpr std::string_view SRegGetDataFailed = "Failed to get data for '%s'";
inline constexpr std::string_view SRegSetDataFailed = "Failed to set data for '%s'";
inline constexpr std::string_view SInvalidRegType = "Invalid data type for '%s'";

class TRegistry {
public:
    TRegistry();
    virtual ~TRegistry(); // closes the current key
    TRegistry(const TRegistry&) = delete;
    TRegistry& operator=(const TRegistry&) = delete;

    platform::HKEY RootKey() const { return rootKey_; }
    // Closes the current key when the root changes.
    void SetRootKey(platform::HKEY root);
    platform::HKEY CurrentKey() const { return currentKey_; }
    const std::string& CurrentPath() const { return currentPath_; }
    // With lazy writing off, closing a key first flushes it to disk.
    bool LazyWrite() const { return lazyWrite_; }
    void SetLazyWrite(bool on) { lazyWrite_ = on; }
    platform::REGSAM Access() const { return access_; }
    void SetAccess(platform::REGSAM access) { access_ = access; }

    virtual bool OpenKey(const std::string& key, bool canCreate);
    virtual bool KeyExists(const std::string& key);
    virtual bool DeleteKey(const std::string& key);
    void CloseKey();

    // Both lists are cleared first; they stay empty when no key is open.
    void GetKeyNames(TStringList& list);
    void GetValueNames(TStringList& list);
    bool HasSubKeys();
    bool ValueExists(const std::string& name);

    // A missing value or empty data reads as ""; a value that is not a string fails.
    std::string ReadString(const std::string& name);
    std::int32_t ReadInteger(const std::string& name);
    void WriteString(const std::string& name, const std::string& value);
    void WriteExpandString(const std::string& name, const std::string& value);
    void WriteInteger(const std::string& name, std::int32_t value);
    // A double as its 8 bytes (REG_BINARY), as dates are kept.
    double ReadFloat(const std::string& name);
    void WriteFloat(const std::string& name, double value);
    bool DeleteValue(const std::string& name);

protected:
    static bool IsRelative(const std::string& key) { return key.empty() || key[0] != '\\'; }
    static std::string WithoutLeadingBackslash(const std::string& key) {
        return IsRelative(key) ? key : key.substr(1);
    }
    // The key a path is taken against: the current key for a relative path, else the root.
    platform::HKEY BaseKey(bool relative) const {
        return relative && currentKey_ ? currentKey_ : rootKey_;
    }
    // Makes key current (closing the previous one) with the path a relative open gives.
    void ChangeKey(platform::HKEY key, const std::string& path);
    // Swaps the current key without closing either (for walks below a key).
    void SetCurrentKeyRaw(platform::HKEY key) { currentKey_ = key; }

private:
    bool ReadData(const std::string& name, platform::DWORD& type, std::vector<std::uint8_t>& data);
    void PutData(const std::string& name, platform::DWORD type, const void* data, std::size_t size);

    platform::HKEY rootKey_;
    platform::HKEY currentKey_ = 0;
    std::string currentPath_;
    bool lazyWrite_ = true;
    platform::REGSAM access_ = platform::KEY_ALL_ACCESS;
};

} // namespace tarn
