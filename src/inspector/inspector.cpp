#include "inspector/inspector.h"

#include "mainwin/main_form.h"

namespace inspector {

Inspector::Inspector(mainwin::MainForm& main) : picker_(main), actions_(main), report_(main) {}

}  // namespace inspector
