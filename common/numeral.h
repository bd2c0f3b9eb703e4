#pragma once
// The one numeral syntax of both programs, and its conversion to an integer.
#include <cstdint>

namespace qt {

// Blanks, sign, decimal digits with a fraction, or &H / &O radix forms.
// Never fails: text without a numeral gives 0.
double numeralValue(const char* text);

// Truncates toward zero; a value outside the 32-bit range gives INT32_MIN.
int32_t numeralToInt(double value);

// numeralToInt(numeralValue(text)).
int32_t numeralInt(const char* text);

}  // namespace qt
