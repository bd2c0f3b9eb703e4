#pragma once
// What the engine core asks of the scenario side (reader, interpreter, key
// wait). The interpreter implements it; the core only drives it.
#include <cstdint>
#include <string>

namespace qt::engine {

class ScenarioHost {
public:
    virtual ~ScenarioHost() = default;

    // Start-up steps that belong to the scenario side, in start-up order.
    virtual void prepareArguments() = 0;
    virtual void constructReader() = 0;
    virtual void constructSound() = 0;
    // Opens the first scenario and counts its header line.
    virtual void openFirst(const char* path) = 0;

    // Idle work chosen by runState.
    virtual void step() = 0;
    virtual void keyWait(uint32_t kind, uint32_t key, uint32_t keyData) = 0;
    // True when no field is left, so a step would do nothing.
    virtual bool atEnd() = 0;

    // For error captions: the open scenario's path (CP932) and line number.
    virtual const char* fileName() = 0;
    virtual int32_t lineNumber() = 0;

    // Closes the scenario file (and its lock) before a restart.
    virtual void releaseForRestart() = 0;

    // Author mode (F5). The scenario file (CP932, as written) and line where
    // the page on screen began.
    virtual void pageStart(std::string& fileCp932, int32_t& line) = 0;
    // The lock on the open scenario alone, so that qPre may replace it; the
    // play goes on from memory. Taken again after a failed conversion.
    virtual void unlockScenario() = 0;
    virtual bool relockScenario() = 0;
};

}  // namespace qt::engine
