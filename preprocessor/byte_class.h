#pragma once
// The lead-byte test as a table, for the per-byte loops of the conversion.
#include <array>

#include "common/sjis.h"

namespace qt::pre {

class LeadByteTable {
  public:
    LeadByteTable() {
        for (int b = 0; b < 256; ++b) lead_[b] = isLeadByte(static_cast<unsigned char>(b)) != 0;
    }
    bool operator[](unsigned char b) const { return lead_[b]; }

  private:
    std::array<bool, 256> lead_{};
};

inline const LeadByteTable kLead;

// Length of the character at `p`: a lead byte forms a pair with the byte
// after it, except when that byte ends the text.
inline int charLength(const unsigned char* p) { return (kLead[p[0]] && p[1] != 0) ? 2 : 1; }

}  // namespace qt::pre
