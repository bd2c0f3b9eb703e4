#pragma once
// The program started after a clean file-list run.

namespace qt::pre {

// Starts `cp932Path` detached and does not wait for it: an executable file
// is run, anything else is opened with xdg-open. Standard streams of the
// started program go to /dev/null. False when the path does not exist.
bool startFinishExe(const char* cp932Path);

}  // namespace qt::pre
