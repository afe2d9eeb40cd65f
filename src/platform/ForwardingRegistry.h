// A registry that passes every call to another IRegistry; a decorator derives from it and
// overrides only the calls it changes (see ForwardingFileSystem.h).
#pragma once

#include "platform/Registry.h"

namespace tarn::platform {

class ForwardingRegistry : public IRegistry {
public:
    // inner must outlive this object.
    explicit ForwardingRegistry(IRegistry& inner) : inner_(inner) {}

    LONG OpenKey(HKEY parent, const std::string& subKey, REGSAM access, HKEY& result) override {
        return inner_.OpenKey(parent, subKey, access, result);
    }
    LONG CreateKey(HKEY parent, const std::string& subKey, REGSAM access, HKEY& result,
                   bool* created = nullptr) override {
        return inner_.CreateKey(parent, subKey, access, result, created);
    }
    LONG CloseKey(HKEY key) override { return inner_.CloseKey(key); }
    LONG FlushKey(HKEY key) override { return inner_.FlushKey(key); }
    LONG DeleteKey(HKEY parent, const std::string& subKey) override {
        return inner_.DeleteKey(parent, subKey);
    }
    LONG EnumKey(HKEY key, DWORD index, std::string& name) override {
        return inner_.EnumKey(key, index, name);
    }
    LONG EnumValue(HKEY key, DWORD index, std::string& name, DWORD* type = nullptr) override {
        return inner_.EnumValue(key, index, name, type);
    }
    LONG QueryInfoKey(HKEY key, RegKeyInfo& info) override {
        return inner_.QueryInfoKey(key, info);
    }
    LONG QueryValue(HKEY key, const std::string& name, DWORD& type,
                    std::vector<std::uint8_t>& data) override {
        return inner_.QueryValue(key, name, type, data);
    }
    LONG SetValue(HKEY key, const std::string& name, DWORD type, const std::uint8_t* data,
                  std::size_t size) override {
        return inner_.SetValue(key, name, type, data, size);
    }
    LONG DeleteValue(HKEY key, const std::string& name) override {
        return inner_.DeleteValue(key, name);
    }

protected:
    IRegistry& Inner() const { return inner_; }

private:
    IRegistry& inner_;
};

} // namespace tarn::platform
