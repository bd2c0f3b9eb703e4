#pragma once
// A fresh folder for one test, removed with everything in it afterwards.
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>

struct TempFolder {
    std::string path = [] {
        std::string p = (std::filesystem::temp_directory_path() / "qt_test_XXXXXX").string();
        return std::string(mkdtemp(p.data()));
    }();
    ~TempFolder() { std::error_code ec; std::filesystem::remove_all(path, ec); }
    // `name` is relative to the folder and spelled as on disk; parents are made.
    std::string write(const std::string& name, const std::string& bytes) const {
        const std::filesystem::path p = std::filesystem::path(path) / name;
        std::filesystem::create_directories(p.parent_path());
        std::ofstream(p, std::ios::binary) << bytes;
        return p.string();
    }
};
