// The image command e.
#include "engine/interpreter/interpreter.h"

namespace qt::engine {

void Interpreter::image() {}

}  // namespace qt::engine
