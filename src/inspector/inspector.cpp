#include "inspector/inspector.h"

namespace inspector {

Inspector::Inspector(ui::Form& form, int crossHairCursor)
    : picker_(form, crossHairCursor), actions_(form), report_(form) {}

}  // namespace inspector
