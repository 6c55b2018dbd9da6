// The program's lifetime: the start-up screen opens first, each screen leads on to the next,
// and the program ends when its last form is unloaded.
#pragma once

namespace app {

int RunProgram();

}  // namespace app
