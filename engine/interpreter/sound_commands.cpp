// The music and sound-effect commands.
#include "engine/interpreter/interpreter.h"

namespace qt::engine {

// The sound channels come with the audio layer; until then bgm and se take
// their arguments and play nothing.
void Interpreter::bgm() {}

void Interpreter::se() {}

}  // namespace qt::engine
