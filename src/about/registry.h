#pragma once

#include <cstdint>
#include <string>

// The three registry calls the system information launcher makes, with Windows' handles,
// status codes and value types, so the same code runs against the Windows registry and against
// the small registry of our own that stands in for it elsewhere. Names are 8-bit strings in the
// user's code page, as the "A" functions of advapi32 take them.
namespace orbeta::registry {

using Key = std::uintptr_t;

inline constexpr Key kLocalMachine = 0x80000002; // HKEY_LOCAL_MACHINE

// Status codes
inline constexpr long kSuccess = 0;       // ERROR_SUCCESS
inline constexpr long kFileNotFound = 2;  // ERROR_FILE_NOT_FOUND
inline constexpr long kAccessDenied = 5;  // ERROR_ACCESS_DENIED
inline constexpr long kInvalidHandle = 6; // ERROR_INVALID_HANDLE
inline constexpr long kMoreData = 234;    // ERROR_MORE_DATA

// Value types
inline constexpr std::uint32_t kString = 1;       // REG_SZ
inline constexpr std::uint32_t kExpandString = 2; // REG_EXPAND_SZ
inline constexpr std::uint32_t kBinary = 3;       // REG_BINARY
inline constexpr std::uint32_t kDword = 4;        // REG_DWORD

// Access rights
inline constexpr std::uint32_t kRead = 0x20019; // KEY_READ: enough to read a value

class Registry {
public:
    virtual ~Registry() = default;
    virtual long OpenKey(Key root, const std::string& subKey, std::uint32_t access,
                         Key& opened) = 0;
    // Fills `data` with up to `size` bytes; on return `size` holds the value's length. A value
    // longer than the buffer fails with kMoreData.
    virtual long QueryValue(Key key, const std::string& valueName, std::uint32_t& type,
                            unsigned char* data, std::uint32_t& size) = 0;
    virtual long CloseKey(Key key) = 0;
};

} // namespace orbeta::registry
