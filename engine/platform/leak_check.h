#pragma once
// Libraries under the platform layer keep a few allocations for the life of
// the process without a pointer to them (libdbus under SDL's video start-up,
// fontconfig while it parses the system configuration). Builds with the leak
// checker are told to pass over them; calling this links the list in.
namespace qt::platform {

void useLeakCheckList();

}  // namespace qt::platform
