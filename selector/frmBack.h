// The backdrop: a black window covering the screen while the wallpaper changes on an HTML
// desktop, and the holder of the picture box through which images are converted to bitmaps.
#pragma once

#include "toolkit/Form.h"

namespace selector {

class frmBack : public tk::Form {
public:
    frmBack();

    tk::PictureBox BGPic;
    tk::Timer Timer1;

protected:
    void Form_Unload() override;

private:
    void Timer1_Timer();
};

}  // namespace selector
