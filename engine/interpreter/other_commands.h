#pragma once
// The commands end, curid, next and iro, on the gathered arguments.
namespace qt::engine {

class Interpreter;

void endCommand(Interpreter& interpreter);
void curidCommand(Interpreter& interpreter);
void nextCommand(Interpreter& interpreter);
void iroCommand(Interpreter& interpreter);

}  // namespace qt::engine
