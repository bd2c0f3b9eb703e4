#pragma once
// The usual Windows Japanese face names and the IPA faces that stand in for
// them: one table, read by fontconfig (as rules) and by the game's own
// fonts folder.
#include <string>
#include <string_view>

namespace qt::platform {

// The IPA family a Windows face name stands for; the name itself when the
// table does not know it. Names compare as fontconfig compares families.
std::string mappedFamily(std::string_view familyUtf8);

// The family a generic name ("monospace", "sans-serif", "serif") means when
// no fontconfig is there to say, and for "" the face an unknown name falls
// back to; empty for any other name.
std::string_view genericFamily(std::string_view familyUtf8);

// The name a game's shipped subset of an IPA family carries ("qRun
// PGothic" for IPAPGothic); empty for any other family.
std::string_view subsetFamily(std::string_view familyUtf8);

// fontconfig's way: ASCII letters without case, blanks ignored.
bool sameFamily(std::string_view a, std::string_view b);

// The table as fontconfig rules, for the system's configuration.
std::string fontMappingXml();

}  // namespace qt::platform
