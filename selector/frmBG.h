// The choice window: four buttons to use the default background, keep the current one, apply a
// random image of the folder, or pick one in the picture browser.
#pragma once

#include "toolkit/Form.h"

namespace selector {

class frmBG : public tk::Form {
public:
    frmBG();

    tk::Button cmdRand;
    tk::Button cmdBase;
    tk::Button cmdSelect;
    tk::Button cmdCurrent;
    tk::Button Command1;  // a raised panel behind the four buttons
    tk::Shape Shape1;
    tk::Timer Timer1;

private:
    void cmdCurrent_Click();
};

}  // namespace selector
