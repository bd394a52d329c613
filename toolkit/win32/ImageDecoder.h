// Decoding on Windows: the Windows Imaging Component where it is installed, else the OLE picture
// loader. Tests can force one of the two.
#pragma once

namespace tk::win32 {

enum class DecoderPath {
    Auto,        // the imaging component when it can be created, else the OLE picture loader
    Wic,         // only the imaging component (PictureError when it is missing)
    OlePicture,  // only the OLE picture loader
};

// For the whole process; Auto unless set.
void SetDecoderPath(DecoderPath path);
DecoderPath GetDecoderPath();

}  // namespace tk::win32
