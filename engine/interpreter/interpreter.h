#pragma once
// The scenario side of the engine: reader, interpreter step, command table,
// argument gathering and the key wait.
#include <cstdint>
#include <cstdio>
#include <memory>

#include "engine/core/scenario_host.h"
#include "engine/rules/command_args.h"
#include "engine/interpreter/key_wait.h"
#include "engine/interpreter/scenario_files.h"
#include "engine/interpreter/sound_commands.h"

namespace qt::engine {

struct Engine;

class Interpreter : public ScenarioHost {
public:
    explicit Interpreter(Engine& engine) : engine_(engine) {}

    // ScenarioHost
    void prepareArguments() override { commandArgs.clear(); }
    void constructReader() override { reader.construct(engine_, 1); }
    void constructSound() override;
    void openFirst(const char* path) override;
    void step() override { interpreterStep(); }
    void keyWait(uint32_t kind, uint32_t key, uint32_t keyData) override {
        keyWait_.message(*this, kind, key, keyData);
    }
    bool atEnd() override { return reader.fieldLength() == -1; }
    const char* fileName() override { return reader.fileName(); }
    int32_t lineNumber() override { return reader.lineNumber; }
    void releaseForRestart() override { reader.close(); }

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
    Engine& engine_;
    KeyWait keyWait_;
    std::FILE* trace_ = nullptr;
};

}  // namespace qt::engine
