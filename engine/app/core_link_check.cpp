// Built only to be linked: the whole engine core and interpreter with the
// headless backend and the null text and sound, and nothing else. A core
// that reaches SDL, FreeType or another concrete backend does not link.
#include <memory>

#include "engine/core/engine.h"
#include "engine/core/startup.h"
#include "engine/interpreter/interpreter.h"
#include "engine/platform/headless/headless_backend.h"

int main(int argc, char**) {
    using namespace qt;
    auto backend = platform::createHeadlessBackend(platform::HeadlessOptions{});
    auto text = platform::createNullText();
    auto sound = platform::createSilentSound();
    engine::Engine engine;
    engine.backend = backend.get();
    engine.text = text.get();
    engine.sound = sound.get();
    engine::Interpreter interpreter(engine);
    engine.host = &interpreter;
    return argc > 1 ? engine::runEngine(engine, {}) : 0;
}
