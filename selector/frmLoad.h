// The loading window: a progress bar while the image catalogue is built.
#pragma once

#include "toolkit/Form.h"

namespace selector {

class frmLoad : public tk::Form {
public:
    frmLoad();
    tk::ProgressBar pBar;
};

}  // namespace selector
