// The program's lifetime: which form opens first, and the message loop.
#pragma once

namespace app {

int RunProgram();

}  // namespace app
