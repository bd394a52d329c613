// The file and picture parts of the headless platform, on the host. Internal to the headless
// backend; tests reach the platform through Headless.h.
#pragma once

#include "toolkit/Platform.h"

namespace tk::headless {

class HeadlessFiles final : public Files {
public:
    std::vector<std::uint8_t> ReadFile(const std::wstring& path) override;
    void WriteFileAtomic(const std::wstring& path, const std::vector<ByteSpan>& parts) override;
    bool FolderExists(const std::wstring& path) override;
    bool FileExists(const std::wstring& path) override;
    std::vector<std::wstring> ListFiles(const std::wstring& folder,
                                        const std::wstring& patterns) override;
    std::vector<std::wstring> ListFolders(const std::wstring& folder) override;
};

class HeadlessPictures final : public PictureDecoder {
public:
    Picture24 Decode(const std::vector<std::uint8_t>& file, const ImageInfo& info,
                     int reduction) override;
};

}  // namespace tk::headless
