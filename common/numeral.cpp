#include "common/numeral.h"

#include <cmath>
#include <string>

namespace qt {

namespace {

int digitValue(unsigned char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return 99;
}

unsigned char upper(unsigned char c) { return (c >= 'a' && c <= 'z') ? c - 'a' + 'A' : c; }

double radixValue(const char* p) {
    // p points just after '&'.
    int base;
    switch (upper(static_cast<unsigned char>(*p))) {
        case 'H': base = 16; break;
        case 'O': base = 8; break;
        default: return 0.0;
    }
    ++p;
    const char* end = p;
    while (digitValue(upper(static_cast<unsigned char>(*end))) < base) ++end;
    double sum = 0.0;
    uint64_t weight = 1;
    for (const char* d = end; d > p;) {
        --d;
        const auto digit = static_cast<uint64_t>(digitValue(upper(static_cast<unsigned char>(*d))));
        sum += static_cast<double>(digit * weight);
        weight *= static_cast<uint64_t>(base);
    }
    return sum;
}

}  // namespace

double numeralValue(const char* text) {
    const char* p = text;
    while (*p == ' ' || *p == '\t') ++p;
    if (*p == '&') return radixValue(p + 1);

    bool negative = false;
    if (*p == '-') {
        negative = true;
        ++p;
    } else if (*p == '+') {
        ++p;
    }
    const char* intStart = p;
    while (*p >= '0' && *p <= '9') ++p;
    double sum = 0.0;
    double weight = 1.0;
    for (const char* d = p; d > intStart;) {
        --d;
        // Past about 308 digits the weight is infinite; a zero digit must
        // then add nothing rather than 0 * inf = NaN.
        if (*d != '0') sum += (*d - '0') * weight;
        weight *= 10.0;
    }
    if (*p == '.') {
        ++p;
        double divisor = 10.0;
        while (*p >= '0' && *p <= '9') {
            sum += (*p - '0') / divisor;
            divisor *= 10.0;
            ++p;
        }
    }
    return negative ? -sum : sum;
}

int32_t numeralToInt(double value) {
    const double t = std::trunc(value);
    if (!(t >= -2147483648.0 && t <= 2147483647.0)) return INT32_MIN;
    return static_cast<int32_t>(t);
}

int32_t numeralInt(const char* text) { return numeralToInt(numeralValue(text)); }

}  // namespace qt
