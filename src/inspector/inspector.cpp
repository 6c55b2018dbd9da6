#include "inspector/inspector.h"

#include "mainwin/main_form.h"

namespace inspector {

Inspector::Inspector(mainwin::MainForm& main) : main_(main) { (void)main_; }

}  // namespace inspector
