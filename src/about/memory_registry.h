#pragma once

#include "about/registry.h"

#include <map>
#include <string>
#include <vector>

namespace orbeta::registry {

// A read-only registry held in memory: keys and their values, as whoever fills it wants them.
// Key and value names compare without regard to ASCII case, as Windows' do.
class MemoryRegistry : public Registry {
public:
    struct Value {
        std::uint32_t type = kString;
        std::vector<unsigned char> bytes;
    };

    void setValue(Key root, const std::string& keyName, const std::string& valueName, Value value);
    // A string value as Windows stores it: its bytes and a closing zero.
    void setString(Key root, const std::string& keyName, const std::string& valueName,
                   const std::string& bytes);

    long OpenKey(Key root, const std::string& subKey, std::uint32_t access, Key& opened) override;
    long QueryValue(Key key, const std::string& valueName, std::uint32_t& type, unsigned char* data,
                    std::uint32_t& size) override;
    long CloseKey(Key key) override;

    // How often keys were opened and closed, and with which access: for tests.
    int openKeys() const { return static_cast<int>(open_.size()); }
    std::uint32_t lastAccess() const { return lastAccess_; }

private:
    using Values = std::map<std::string, Value>;
    std::map<std::string, Values> keys_; // by root and lower-case key name
    std::map<Key, const Values*> open_;
    Key nextHandle_ = 0x1000;
    std::uint32_t lastAccess_ = 0;
};

} // namespace orbeta::registry
