#pragma once
// The fontconfig rules the engine ships inside its executable: the usual
// Windows Japanese face names mapped to the IPA faces.
namespace qt::platform {

const char* fontMappingXml();

}  // namespace qt::platform
