#pragma once
// The scenario side of the engine: reader, interpreter step, command table,
// argument gathering and the key wait.
#include <cstdint>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "engine/core/scenario_host.h"
#include "engine/rules/command_args.h"
#include "engine/interpreter/key_wait.h"
#include "engine/interpreter/scenario_files.h"
#include "engine/interpreter/sound_commands.h"

namespace qt::engine {

struct Engine;

// A place in a scenario file: a line as the step counts it (the header is
// line 1), or, when `offset` is not -1, the field that begins there or after.
struct ScenarioLine {
    uint64_t device = 0, inode = 0;  // the file, whatever path names it
    int32_t line = 0;
    int64_t offset = -1;
    std::string name;  // as the author gave it, for messages (UTF-8)
};

class Interpreter : public ScenarioHost {
public:
    explicit Interpreter(Engine& engine) : engine_(engine) {}

    // ScenarioHost
    void prepareArguments() override { commandArgs.clear(); }
    void constructReader() override { reader.construct(engine_, 1); }
    void constructSound() override;
    void openFirst(const char* path) override;
    void step() override;
    void keyWait(uint32_t kind, uint32_t key, uint32_t keyData) override {
        keyWait_.message(*this, kind, key, keyData);
    }
    bool atEnd() override { return reader.fieldLength() == -1; }
    const char* fileName() override { return reader.fileName(); }
    int32_t lineNumber() override { return reader.lineNumber; }
    void releaseForRestart() override { reader.close(); }
    void pageStart(std::string& fileCp932, int32_t& line) override;
    void unlockScenario() override { reader.unlock(); }
    bool relockScenario() override { return reader.relock(); }

    // Set before start-up: the play runs without painting, waits, pauses or
    // sound output until the step reaches `target`, then on as usual.
    void fastForwardTo(const ScenarioLine& target) { target_ = target; }

    // The page-break and key-wait commands begin a wait; a key ends it (at
    // once during fast-forward).
    void beginWait(bool pageBreak);
    void endWait();

    // One field: a command ("/" word) or a line of body text.
    void interpreterStep();
    void dispatchCommand(const char* word);
    void collectArguments();

    // Writes "PATH:LINE: FIELD" (UTF-8) for every step that takes a field.
    void setTrace(std::FILE* trace) { trace_ = trace; }

    Engine& engine() { return engine_; }

    // The sound channels, for tests.
    platform::SoundChannel* music() { return sound.music(); }
    platform::SoundChannel* effect() { return sound.effect(); }

    ScenarioFiles reader;
    CommandArgs commandArgs;
    SoundCommands sound;
    bool pageBreakPending = false;

private:
    void writeTrace(int32_t line, const char* field);
    // fast_forward.cpp
    void startFastForward();
    void fastForwardSteps();
    // Ends fast-forward when the target is reached or can no longer be.
    bool fastForwardEnds();
    void endFastForward(bool reached);
    void showPageInTitle();

    Engine& engine_;
    KeyWait keyWait_;
    std::FILE* trace_ = nullptr;

    std::optional<ScenarioLine> target_;
    uint32_t opensSeen_ = 0;
    std::vector<std::pair<uint64_t, uint64_t>> filesPassed_;  // by fast-forward
    // Where the page on screen began; pending until the first step of a page.
    bool pageStartPending_ = true;
    std::string pageFile_;
    int32_t pageLine_ = 0;
};

}  // namespace qt::engine
