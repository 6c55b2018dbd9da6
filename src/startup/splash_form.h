// mvLoad: the borderless start-up screen. It refuses a second copy of the program, cuts itself
// to a triangle, makes the Logs folder, slides its bar and then hands over to the terms screen.
#pragma once
#include <windows.h>

#include <array>
#include <cstdint>

#include "startup/artwork.h"
#include "ui/form.h"

namespace startup {

class SplashForm {
public:
    // next: the form shown when the bar arrives (the terms screen). previousInstance: another
    // copy of the program is already running.
    SplashForm(ui::Form& next, bool previousInstance, const Artwork& art);
    SplashForm(const SplashForm&) = delete;
    SplashForm& operator=(const SplashForm&) = delete;

    ui::Form& Form() { return form_; }

    void Form_Load();
    void Timer1_Timer();

    // The region's corners in pixels, as handed to CreatePolygonRgn.
    const std::array<POINT, 3>& RegionPoints() const { return points_; }

private:
    ui::Form form_;
    ui::Form& next_;
    bool previousInstance_;
    std::array<POINT, 3> points_ = {};
    int32_t regionResult_ = 0;  // what SetWindowRgn answered; kept, never read
};

}  // namespace startup
