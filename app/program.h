#pragma once
#include <optional>
#include <string>
#include <vector>

#include "app/ui.h"
#include "crypto/random_generator.h"

namespace qs {

// The program from start to end: refuses a command line it cannot follow, then with the
// working folder (nullopt when it could not be chosen or made) starts the generator from its
// seed file, offers to create a key pair when none is stored (or else asks for mouse entropy
// when the generator lacks it), and runs the main window, with the command line's file and
// verb, until the user closes it. Returns the exit code: 0, or 1 when the program could not
// start or the user left before it could.
int RunProgram(ui::Ui& ui, RandomGenerator& generator, const std::optional<std::string>& workingFolder,
               const std::vector<std::string>& arguments = {});

}  // namespace qs
