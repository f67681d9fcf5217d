#pragma once

#include "about/registry.h"

#include <string>

namespace orbeta {

class CodePage;

// Reads the value `SubKeyRef` of the key `KeyName` under `KeyRoot` into `KeyVal` as text (UTF-8),
// and tells whether a value was read:
// - the key is opened for reading only;
// - a failure to open or to query (a value over 1024 bytes too) empties KeyVal and gives false;
// - a string's closing zero byte is dropped and its bytes are converted from the code page;
// - a REG_DWORD is appended to KeyVal as "&h" and its hexadecimal digits, upper case, without
//   leading zeros (the notation of a hexadecimal number in the original's language: 4096 is
//   "&h1000", 0 is "&h0");
// - any other type leaves KeyVal as it was and still gives true.
bool GetKeyValue(registry::Registry& registry, const CodePage& codePage, registry::Key KeyRoot,
                 const std::string& KeyName, const std::string& SubKeyRef, std::string& KeyVal);

} // namespace orbeta
