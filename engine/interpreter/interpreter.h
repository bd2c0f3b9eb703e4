#pragma once
// The scenario side of the engine: reader, interpreter step, command table,
// argument gathering and the key wait.
#include <cstdint>
#include <cstdio>
#include <memory>

#include "engine/core/scenario_host.h"
#include "engine/interpreter/command_args.h"
#include "engine/interpreter/scenario_files.h"
#include "engine/platform/text.h"
#include "engine/platform/sound.h"

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
    void keyWait(uint32_t kind, uint32_t key, uint32_t keyData) override;
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

    // The sound channels, for tests.
    platform::SoundChannel* music() { return music_.get(); }
    platform::SoundChannel* effect() { return effect_.get(); }

    ScenarioFiles reader;
    CommandArgs commandArgs;
    bool pageBreakPending = false;

private:
    friend struct CommandTable;

    // Handlers of the command table.
    void pageBreak();
    void waitForKey();
    void endProgram();
    void image();
    void allbltThrough();
    void allbltDirect();
    void curid();
    void bgm();
    void se();
    void next();
    void iro();

    // Result 0 when the image was loaded, -1 (after its report) when not.
    int drawImageFile(const char* path, int32_t x, int32_t y, int32_t width, int32_t height,
                      int32_t srcX, int32_t srcY, int32_t srcWidth, int32_t srcHeight,
                      int32_t transparency, bool widthPercent, bool heightPercent);
    void soundCommand(platform::SoundChannel& channel, bool loopsByDefault);

    void skipField() { reader.nextField(); }
    void skipUnknownCommand();
    void drawPrompt();

    Engine& engine_;
    std::FILE* trace_ = nullptr;
    std::unique_ptr<platform::Font> promptFont_;
    std::unique_ptr<platform::SoundChannel> music_, effect_;
    bool promptFontTried_ = false;
};

}  // namespace qt::engine
