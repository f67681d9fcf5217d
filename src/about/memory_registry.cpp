#include "about/memory_registry.h"

#include <algorithm>
#include <cstring>

namespace orbeta::registry {

namespace {

std::string lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) {
        return static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
    });
    return text;
}

std::string keyPath(Key root, const std::string& keyName) {
    return std::to_string(root) + "\\" + lower(keyName);
}

} // namespace

void MemoryRegistry::setValue(Key root, const std::string& keyName, const std::string& valueName,
                              Value value) {
    keys_[keyPath(root, keyName)][lower(valueName)] = std::move(value);
}

void MemoryRegistry::setString(Key root, const std::string& keyName, const std::string& valueName,
                               const std::string& bytes) {
    Value value{kString, std::vector<unsigned char>(bytes.begin(), bytes.end())};
    value.bytes.push_back(0);
    setValue(root, keyName, valueName, std::move(value));
}

long MemoryRegistry::OpenKey(Key root, const std::string& subKey, std::uint32_t access,
                             Key& opened) {
    lastAccess_ = access;
    if ((access & ~kRead) != 0)
        return kAccessDenied; // nothing here may be changed
    const auto found = keys_.find(keyPath(root, subKey));
    if (found == keys_.end())
        return kFileNotFound;
    opened = nextHandle_++;
    open_[opened] = &found->second;
    return kSuccess;
}

long MemoryRegistry::QueryValue(Key key, const std::string& valueName, std::uint32_t& type,
                                unsigned char* data, std::uint32_t& size) {
    const auto open = open_.find(key);
    if (open == open_.end())
        return kInvalidHandle;
    const auto value = open->second->find(lower(valueName));
    if (value == open->second->end())
        return kFileNotFound;
    const auto length = static_cast<std::uint32_t>(value->second.bytes.size());
    type = value->second.type;
    if (length > size) {
        size = length;
        return kMoreData;
    }
    if (length > 0)
        std::memcpy(data, value->second.bytes.data(), length);
    size = length;
    return kSuccess;
}

long MemoryRegistry::CloseKey(Key key) {
    return open_.erase(key) == 1 ? kSuccess : kInvalidHandle;
}

} // namespace orbeta::registry
