// The picture browser: the catalogue with "(None)" first, a preview at the share of the screen the
// image would cover, and Select / Cancel. It also carries the hidden file list that enumerates the
// image folder for the catalogue.
#pragma once

#include "toolkit/Form.h"

namespace selector {

class frmSel : public tk::Form {
public:
    frmSel();

    // Previews the selected entry in picImage and writes its pixel size to lblSize.
    void SetPicture();

    tk::ListBox File1;        // item 0 "(None)", item k the catalogue's entry k - 1
    tk::Button cmdChoose;
    tk::Button cmdCancel;
    tk::PictureBox picImage;  // stands for the whole screen
    tk::Label Label4;         // "Picture could not load."
    tk::PictureBox picContain;
    tk::Label Label1;         // "loading..."
    tk::Label Label2;
    tk::Label lblSize;
    tk::Label Label3;
    tk::Label lblRes;
    tk::PictureBox picBuff;   // the selected file is decoded here first
    tk::FileListBox Dir;      // enumerates the image folder
    tk::Button Command1;      // the raised face behind everything
    tk::Shape Shape1;

    void OnUserClose() override;

protected:
    void Form_Load() override;

private:
    void File1_Click();
    void cmdChoose_Click();
    void cmdCancel_Click();
    void ApplySelection();
};

}  // namespace selector
