#pragma once
// --from FILE:LINE as the place in a converted scenario that fast-forward
// runs to.
#include "engine/app/options.h"
#include "engine/interpreter/interpreter.h"

namespace qt::engine {

// Enters qRun's folder (where FILE is looked for when it is not found from
// the folder qRun was started in). False after saying why on standard error.
bool locateFrom(const AppOptions& options, ScenarioLine& target);

}  // namespace qt::engine
