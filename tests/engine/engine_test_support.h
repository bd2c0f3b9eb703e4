#pragma once
// Shared pieces of the engine tests: a temporary game folder, settings
// written as UTF-8 and stored as CP932, and an engine on the headless
// backend.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "common/cp932.h"
#include "common/exe_folder.h"
#include "engine/core/engine.h"
#include "engine/core/startup.h"
#include "engine/interpreter/interpreter.h"
#include "engine/platform/headless_backend.h"

namespace qt::engine::test {

class TempFolder {
public:
    TempFolder() {
        char tmpl[] = "/tmp/qrun-test-XXXXXX";
        path_ = ::mkdtemp(tmpl);
    }
    ~TempFolder() { std::filesystem::remove_all(path_); }
    const std::string& path() const { return path_; }
    std::string file(const std::string& name) const { return path_ + "/" + name; }
    void write(const std::string& name, const std::string& bytes) const {
        std::ofstream(file(name), std::ios::binary) << bytes;
    }

private:
    std::string path_;
};

// Header line of a preprocessed scenario.
inline const std::string kHeader = "\x82\xA9\r\n";

// An engine started in a temporary folder, as start-up leaves it.
class EngineTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::strcpy(qt::exeFolder, folder.path().c_str());
        oldCwd_ = std::filesystem::current_path();
        std::filesystem::current_path(folder.path());
    }
    void TearDown() override { std::filesystem::current_path(oldCwd_); }

    // Settings written in UTF-8, stored in CP932.
    void writeIni(const std::string& utf8) const { folder.write("qRun.ini", utf8ToCp932(utf8)); }

    void makeEngine(const platform::HeadlessOptions& options = {}) {
        backend = std::make_unique<platform::HeadlessBackend>(options);
        engine = std::make_unique<Engine>();
        engine->backend = backend.get();
        interpreter = std::make_unique<Interpreter>(*engine);
        engine->host = interpreter.get();
        exitCodes.clear();
        engine->exitNow = [this](int code) { exitCodes.push_back(code); };
    }

    // Start-up with the given scenario bytes as FirstScenario "s.dat"
    // (unless the settings name another).
    bool start(const std::string& scenario, const std::string& iniUtf8 = "") {
        writeIni("[main]\nFirstScenario=s.dat\n" + iniUtf8);
        folder.write("s.dat", scenario);
        makeEngine();
        return startUp(*engine);
    }

    // Box texts and captions as UTF-8.
    std::vector<std::string> texts() const {
        std::vector<std::string> out;
        for (const auto& b : backend->boxes()) out.push_back(cp932ToUtf8(b.textCp932));
        return out;
    }
    std::vector<std::string> captions() const {
        std::vector<std::string> out;
        for (const auto& b : backend->boxes()) out.push_back(cp932ToUtf8(b.captionCp932));
        return out;
    }

    platform::Surface& screen(int id) { return *engine->screens.getDC(id); }

    TempFolder folder;
    std::unique_ptr<platform::HeadlessBackend> backend;
    std::unique_ptr<Engine> engine;
    std::unique_ptr<Interpreter> interpreter;
    std::vector<int> exitCodes;

private:
    std::filesystem::path oldCwd_;
};

}  // namespace qt::engine::test
