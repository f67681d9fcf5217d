#pragma once

#include <QString>

#include <optional>

// The general number-to-text conversion of a single-precision number, and back: at most seven
// significant digits, no thousands separators, the user's decimal separator before a fraction.
namespace orbeta {

QString singleToText(float value);

// Leading and trailing blanks are allowed; anything else that is not a finite number gives nothing.
std::optional<float> textToSingle(const QString& text);

} // namespace orbeta
