// Tessaban's window: the image folder, its image count, the logon option, and saving.
#pragma once

#include "toolkit/Form.h"

namespace setup {

class frmConfig : public tk::Form {
public:
    frmConfig();

    tk::Button cmdSet;
    tk::Button cmdCancel;
    tk::Button cmdAbout;
    tk::Label Label8;
    tk::DirListBox dirPath;
    tk::Label Label1;
    tk::Label lblImages;
    tk::CheckBox chkStartup;
    tk::PictureBox picSave;
    tk::FileListBox File1;

private:
    void cmdCancel_Click();
};

}  // namespace setup
