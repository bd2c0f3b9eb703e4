#pragma once
#include <string>

namespace qt::platform {

// A face to open: its file, its index in the file, its family (UTF-8).
struct FaceChoice {
    std::string file;
    int index = 0;
    std::string family;
};

}  // namespace qt::platform
