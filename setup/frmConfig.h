// Tessaban's window: the image folder with its image count, the logon option, the About box,
// and saving the configuration.
#pragma once

#include <optional>
#include <string>

#include "toolkit/Form.h"

namespace setup {

class frmConfig : public tk::Form {
public:
    frmConfig();

    // Writes the configuration values and the logon entry.
    void SaveSettings();

    tk::Button cmdSet;
    tk::Button cmdCancel;
    tk::Button cmdAbout;
    tk::Label Label8;
    tk::DirListBox dirPath;
    tk::Label Label1;
    tk::Label lblImages;
    tk::CheckBox chkStartup;
    tk::PictureBox picSave;
    tk::FileListBox File1;  // hidden: only its count is used

protected:
    void Form_Load() override;

private:
    bool ShowFolder(const std::wstring& folder);
    void dirPath_Change();
    void cmdSet_Click();
    void cmdCancel_Click();
    void cmdAbout_Click();

    std::wstring FolderOfDirPath() const;
    int ScanChosenFolder();
    std::wstring WallpaperInPlace();
    bool PreserveBaseBitmap();

    bool loading_ = false;
};

}  // namespace setup
