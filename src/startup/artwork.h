// What a start-up screen takes from the program's resources. The program hands the ids in,
// so that a screen can also be built by a host without them (a test): 0 is none.
#pragma once

namespace startup {

struct Artwork {
    int picture = 0;  // the screen's background bitmap
    int icon = 0;     // its window's icon
};

}  // namespace startup
