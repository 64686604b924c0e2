#pragma once
#include <optional>
#include <string>

#include "app/ui.h"
#include "crypto/random_generator.h"

namespace qs {

// The program from start to end: with the working folder (nullopt when it could not be
// chosen or made), starts the generator from its seed file, offers to create a key pair
// when none is stored (or else asks for mouse entropy when the generator lacks it), and
// runs the main window until the user closes it. Returns the exit code: 0, or 1 when the
// program could not start or the user left before it could.
int RunProgram(ui::Ui& ui, RandomGenerator& generator, const std::optional<std::string>& workingFolder);

}  // namespace qs
