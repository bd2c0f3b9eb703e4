#pragma once
// F5 in author mode: the sources converted again, then the play started over
// at the page on screen; a conversion that fails leaves the play as it was.
namespace qt::engine {

struct Engine;

void reloadScenarios(Engine& engine);

}  // namespace qt::engine
