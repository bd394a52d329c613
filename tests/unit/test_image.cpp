// Pictures: header checks of each format, size limits, the 24-bit bitmap writer (read back by
// the decoder), atomic saving, HIMETRIC sizes, and bitmap decoding details.
#include <gtest/gtest.h>

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "toolkit/FileSystem.h"
#include "toolkit/Image.h"
#include "toolkit/headless/HostPaths.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

void Put16le(Bytes& b, std::size_t at, unsigned v) {
    b[at] = static_cast<std::uint8_t>(v);
    b[at + 1] = static_cast<std::uint8_t>(v >> 8);
}
void Put32le(Bytes& b, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}
void Append(Bytes& b, std::initializer_list<int> values) {
    for (int v : values) b.push_back(static_cast<std::uint8_t>(v));
}

// SOI, an APP0 segment, then a frame header of the given kind (0xC0 baseline, ...).
Bytes Jpeg(int sof, int width, int height) {
    Bytes b;
    Append(b, {0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x06, 'J', 'F', 'I', 'F'});
    Append(b, {0xFF, 0xDB, 0x00, 0x03, 0x00});                            // a (short) table segment
    Append(b, {0xFF, sof, 0x00, 0x0B, 8, height >> 8, height & 0xFF, width >> 8, width & 0xFF, 1, 1, 0x11, 0});
    Append(b, {0xFF, 0xDA, 0x00, 0x08, 1, 1, 0, 0, 63, 0, 0xFF, 0xD9});
    return b;
}

Bytes Gif(int width, int height, int frameWidth, int frameHeight, int left = 0, int top = 0) {
    Bytes b = {'G', 'I', 'F', '8', '9', 'a', 0, 0, 0, 0, 0x80, 0, 0};
    Put16le(b, 6, static_cast<unsigned>(width));
    Put16le(b, 8, static_cast<unsigned>(height));
    Append(b, {0, 0, 0, 255, 255, 255});                                    // global palette
    Append(b, {0x21, 0xFE, 3, 'h', 'i', '!', 0});                           // comment
    Append(b, {0x2C, left, 0, top, 0, 0, 0, 0, 0, 0, 2, 2, 0x4C, 0x01, 0, 0x3B}); // image descriptor
    Put16le(b, 13 + 6 + 7 + 5, static_cast<unsigned>(frameWidth));
    Put16le(b, 13 + 6 + 7 + 7, static_cast<unsigned>(frameHeight));
    return b;
}

tk::Bitmap Pattern(int w, int h) {
    tk::Bitmap bitmap(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) bitmap.at(x, y) = static_cast<std::uint32_t>((x * 40) << 16 | (y * 70) << 8 | (x + y) * 13);
    return bitmap;
}

std::string MessageOf(const Bytes& file) {
    try {
        tk::ProbeImage(file);
    } catch (const tk::PictureError& e) {
        return e.what();
    }
    return "(accepted)";
}

// ---- JPEG ----

TEST(PictureProbeJpeg, FrameHeadersOfEveryCodingProcessGiveTheSize) {
    for (int sof : {0xC0, 0xC1, 0xC2, 0xC3, 0xC9, 0xCA, 0xCB}) {
        const tk::ImageInfo info = tk::ProbeImage(Jpeg(sof, 640, 480));
        EXPECT_EQ(info.format, tk::ImageFormat::Jpeg) << sof;
        EXPECT_EQ(info.width, 640);
        EXPECT_EQ(info.height, 480);
    }
}

TEST(PictureProbeJpeg, TablesAreNotTakenForFrameHeaders) {
    Bytes b = Jpeg(0xC0, 16, 8);
    // A DHT (C4) segment before the frame whose body would read as a size if misparsed.
    b.insert(b.begin() + 2, {0xFF, 0xC4, 0x00, 0x08, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00});
    EXPECT_EQ(tk::ProbeImage(b).width, 16);
}

TEST(PictureProbeJpeg, StrayBytesBetweenSegmentsAreSkipped) {
    Bytes b = Jpeg(0xC0, 16, 8);
    b.insert(b.begin() + 10, {0x00, 0x12, 0xFF, 0x00});
    EXPECT_EQ(tk::ProbeImage(b).height, 8);
}

TEST(PictureProbeJpeg, MissingOrUnusableFrameHeadersAreRefused) {
    Bytes noFrame = {0xFF, 0xD8, 0xFF, 0xDA, 0x00, 0x02, 0xFF, 0xD9};
    EXPECT_THROW(tk::ProbeImage(noFrame), tk::PictureError);
    EXPECT_THROW(tk::ProbeImage(Bytes{0xFF, 0xD8, 0xFF, 0xD9}), tk::PictureError);
    EXPECT_THROW(tk::ProbeImage(Jpeg(0xC0, 16, 0)), tk::PictureError);  // height given later (DNL)
    EXPECT_THROW(tk::ProbeImage(Jpeg(0xC0, 0, 16)), tk::PictureError);
    Bytes shortSegment = {0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x01};
    EXPECT_THROW(tk::ProbeImage(shortSegment), tk::PictureError);
}

TEST(PictureProbeJpeg, TruncationAnywhereBeforeTheFrameSizeIsRefused) {
    const Bytes whole = Jpeg(0xC2, 300, 200);
    for (std::size_t cut = 0; cut < 25; ++cut) {
        const Bytes part(whole.begin(), whole.begin() + static_cast<long>(cut));
        EXPECT_THROW(tk::ProbeImage(part), tk::PictureError) << cut;
    }
}

TEST(PictureProbeJpeg, HugeFramesAreRefused) {
    EXPECT_NE(MessageOf(Jpeg(0xC0, 64250, 64250)).find("too large"), std::string::npos);
    EXPECT_EQ(tk::ProbeImage(Jpeg(0xC0, 65535, 1000)).width, 65535);
}

// ---- GIF ----

TEST(PictureProbeGif, ScreenSizeAndFirstFrame) {
    const tk::ImageInfo info = tk::ProbeImage(Gif(7, 5, 2, 3, 1, 2));
    EXPECT_EQ(info.format, tk::ImageFormat::Gif);
    EXPECT_EQ(info.width, 7);
    EXPECT_EQ(info.height, 5);
    EXPECT_EQ(info.frameLeft, 1);
    EXPECT_EQ(info.frameTop, 2);
    EXPECT_EQ(info.frameWidth, 2);
    EXPECT_EQ(info.frameHeight, 3);
    Bytes old = Gif(7, 5, 2, 3, 1, 2);
    old[4] = '7';
    EXPECT_EQ(tk::ProbeImage(old).width, 7);
}

TEST(PictureProbeGif, ZeroSizesMissingImagesAndTruncationAreRefused) {
    EXPECT_THROW(tk::ProbeImage(Gif(0, 5, 1, 1)), tk::PictureError);
    EXPECT_THROW(tk::ProbeImage(Gif(5, 0, 1, 1)), tk::PictureError);
    EXPECT_THROW(tk::ProbeImage(Gif(5, 5, 0, 1)), tk::PictureError);
    Bytes noColours = Gif(5, 5, 1, 1);
    noColours[10] = 0;  // no global colour table, and none for the image
    noColours.erase(noColours.begin() + 13, noColours.begin() + 19);
    EXPECT_THROW(tk::ProbeImage(noColours), tk::PictureError);
    noColours[13 + 7 + 9] = 0x80;  // the image brings its own two colours
    noColours.insert(noColours.begin() + 13 + 7 + 10, {0, 0, 0, 9, 9, 9});
    EXPECT_EQ(tk::ProbeImage(noColours).width, 5);
    Bytes noImage = Gif(5, 5, 1, 1);
    noImage.resize(13 + 6 + 7);
    noImage.push_back(0x3B);
    EXPECT_THROW(tk::ProbeImage(noImage), tk::PictureError);
    const Bytes whole = Gif(5, 5, 1, 1);
    for (std::size_t cut = 0; cut < 13 + 6 + 7 + 11; ++cut) {
        EXPECT_THROW(tk::ProbeImage(Bytes(whole.begin(), whole.begin() + static_cast<long>(cut))), tk::PictureError) << cut;
    }
}

TEST(PictureProbeGif, HugeScreensAndFramesAreRefused) {
    EXPECT_THROW(tk::ProbeImage(Gif(65535, 65535, 1, 1)), tk::PictureError);
    EXPECT_THROW(tk::ProbeImage(Gif(1, 1, 65535, 65535)), tk::PictureError);
    EXPECT_EQ(tk::ProbeImage(Gif(65535, 1, 1, 1)).width, 65535);
    Bytes outside = Gif(1, 1, 65535, 1000, 0, 200);  // a tiny screen with a big frame off its edge
    EXPECT_THROW(tk::ProbeImage(outside), tk::PictureError);
}

// ---- BMP ----

class PictureProbeBmp : public ::testing::Test {
protected:
    Bytes file = tk::EncodeBmp24(Pattern(3, 2));  // 54 bytes of headers, two rows of 12 bytes
};

TEST_F(PictureProbeBmp, InfoHeaderGivesTheSizeTopDownToo) {
    tk::ImageInfo info = tk::ProbeImage(file);
    EXPECT_EQ(info.format, tk::ImageFormat::Bmp);
    EXPECT_EQ(info.width, 3);
    EXPECT_EQ(info.height, 2);
    Put32le(file, 22, static_cast<std::uint32_t>(-2));
    info = tk::ProbeImage(file);
    EXPECT_EQ(info.height, 2);
}

TEST_F(PictureProbeBmp, CoreHeaderWithPalette) {
    Bytes core = {'B', 'M', 0, 0, 0, 0, 0, 0, 0, 0, 32, 0, 0, 0, 12, 0, 0, 0, 9, 0, 2, 0, 1, 0, 1, 0};
    Append(core, {0, 0, 0, 255, 255, 255});  // two palette entries of three bytes
    core.resize(32 + 2 * 4, 0xAA);           // two rows of 4 bytes (9 pixels of 1 bit, padded)
    const tk::ImageInfo info = tk::ProbeImage(core);
    EXPECT_EQ(info.width, 9);
    EXPECT_EQ(info.height, 2);
    core.pop_back();
    EXPECT_THROW(tk::ProbeImage(core), tk::PictureError);
}

TEST_F(PictureProbeBmp, InconsistentHeadersAreRefused) {
    auto refused = [this](std::size_t at, std::uint32_t value, bool wide) {
        Bytes b = file;
        if (wide) Put32le(b, at, value); else Put16le(b, at, value);
        return MessageOf(b) != "(accepted)";
    };
    EXPECT_TRUE(refused(14, 41, true));       // unknown header size
    EXPECT_TRUE(refused(14, 0, true));
    EXPECT_TRUE(refused(18, 0, true));        // zero width
    EXPECT_TRUE(refused(18, static_cast<std::uint32_t>(-3), true));
    EXPECT_TRUE(refused(22, 0, true));        // zero height
    EXPECT_TRUE(refused(26, 0, false));       // planes
    EXPECT_TRUE(refused(28, 7, false));       // bit count
    EXPECT_TRUE(refused(28, 0, false));
    EXPECT_TRUE(refused(30, 1, true));        // RLE8 with 24 bits
    EXPECT_TRUE(refused(30, 4, true));        // embedded JPEG
    EXPECT_TRUE(refused(10, 20, true));       // pixels inside the headers
    EXPECT_TRUE(refused(10, 0xFFFFFFFF, true));
    EXPECT_FALSE(refused(2, 0, true));        // the file size field is not relied on
    EXPECT_FALSE(refused(34, 0xFFFFFFF0, true));  // nor the image size of an uncompressed bitmap
}

TEST_F(PictureProbeBmp, PaletteAndPixelDataMustLieInsideTheFile) {
    Bytes b = file;
    b.pop_back();
    EXPECT_NE(MessageOf(b).find("cut short"), std::string::npos);
    Bytes pal = file;  // 8 bits per pixel claims a palette of 256 entries, 1 KB, beyond the file
    Put16le(pal, 28, 8);
    EXPECT_THROW(tk::ProbeImage(pal), tk::PictureError);
    Put32le(pal, 46, 300);  // more colours than 8 bits can index
    pal.resize(54 + 1200 + 8, 0);
    Put32le(pal, 10, 54 + 1200);
    EXPECT_THROW(tk::ProbeImage(pal), tk::PictureError);
    Put32le(pal, 46, 256);
    EXPECT_EQ(tk::ProbeImage(pal).width, 3);
}

TEST_F(PictureProbeBmp, DeclaredSizesBeyondTheLimitsAreRefusedBeforeAnythingElse) {
    Bytes b = file;
    Put32le(b, 18, 2147483647);
    EXPECT_NE(MessageOf(b).find("too large"), std::string::npos);
    Put32le(b, 18, 65536);
    Put32le(b, 22, 1);
    EXPECT_NE(MessageOf(b).find("too large"), std::string::npos);
    Put32le(b, 18, 10001);
    Put32le(b, 22, static_cast<std::uint32_t>(-10000));
    EXPECT_NE(MessageOf(b).find("too large"), std::string::npos);
    Put32le(b, 22, 0x80000000u);  // the most negative height has no positive counterpart
    EXPECT_THROW(tk::ProbeImage(b), tk::PictureError);
}

TEST(PictureProbe, UnknownAndEmptyFilesAreRefused) {
    EXPECT_THROW(tk::ProbeImage({}), tk::PictureError);
    EXPECT_THROW(tk::ProbeImage({0x89, 'P', 'N', 'G', 13, 10, 26, 10}), tk::PictureError);
    EXPECT_THROW(tk::ProbeImage({'B'}), tk::PictureError);
    EXPECT_THROW(tk::ProbeImage({'B', 'M', 0}), tk::PictureError);
}

TEST(PictureLimits, SizesAreCheckedIn64Bits) {
    EXPECT_NO_THROW(tk::CheckPictureSize(65535, 1525));
    EXPECT_THROW(tk::CheckPictureSize(65535, 1526), tk::PictureError);
    EXPECT_THROW(tk::CheckPictureSize(65536, 1), tk::PictureError);
    EXPECT_THROW(tk::CheckPictureSize(0, 1), tk::PictureError);
    EXPECT_THROW(tk::CheckPictureSize(4294967296LL, 4294967296LL), tk::PictureError);
    EXPECT_THROW(tk::Bitmap(-1, 5), tk::PictureError);
    EXPECT_THROW(tk::Bitmap(20000, 20000), tk::PictureError);
    EXPECT_TRUE(tk::Bitmap(0, 7).empty());
}

TEST(PictureHimetric, NinetySixDpiRoundedHalvesToEven) {
    EXPECT_EQ(tk::PixelsToHimetric(0), 0);
    EXPECT_EQ(tk::PixelsToHimetric(1), 26);       // 26.458
    EXPECT_EQ(tk::PixelsToHimetric(12), 318);     // 317.5
    EXPECT_EQ(tk::PixelsToHimetric(36), 952);     // 952.5
    EXPECT_EQ(tk::PixelsToHimetric(96), 2540);
    EXPECT_EQ(tk::PixelsToHimetric(1920), 50800);
    EXPECT_EQ(tk::PixelsToHimetric(65535), 1733947);  // 1733947.19
}

// ---- Writing and reading back through the file system ----

class PictureFiles : public ::testing::Test {
protected:
    void SetUp() override {
        char name[] = "/tmp/pictest-XXXXXX";
        ASSERT_NE(::mkdtemp(name), nullptr);
        root_ = name;
        tk::headless::MapDrive(L'T', root_);
    }
    void TearDown() override {
        tk::headless::ClearDriveMappings();
        std::system(("rm -rf '" + root_ + "'").c_str());
    }
    void WriteHost(const std::string& name, const Bytes& bytes) {
        std::ofstream(root_ + "/" + name, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }
    std::vector<std::string> HostNames() const {
        std::vector<std::string> names;
        DIR* dir = ::opendir(root_.c_str());
        while (const dirent* e = ::readdir(dir)) {
            if (std::string(e->d_name) != "." && std::string(e->d_name) != "..") names.push_back(e->d_name);
        }
        ::closedir(dir);
        return names;
    }
    std::string root_;
};

TEST_F(PictureFiles, BitmapRoundTripKeepsEveryPixelForEachRowPadding) {
    for (int width : {1, 2, 3, 4, 5}) {
        const tk::Bitmap original = Pattern(width, 3);
        const Bytes bytes = tk::EncodeBmp24(original);
        const std::size_t rowBytes = (static_cast<std::size_t>(width) * 3 + 3) / 4 * 4;
        EXPECT_EQ(bytes.size(), 54 + rowBytes * 3);
        EXPECT_EQ(bytes[54], static_cast<std::uint8_t>(original.at(0, 2)));  // bottom row first
        WriteHost("p.bmp", bytes);
        const tk::Bitmap decoded = tk::DecodeImageFile(L"T:\\p.bmp");
        EXPECT_EQ(decoded.width, width);
        EXPECT_EQ(decoded.height, 3);
        EXPECT_EQ(decoded.pixels, original.pixels) << width;
    }
    EXPECT_THROW(tk::EncodeBmp24(tk::Bitmap()), tk::PictureError);
}

TEST_F(PictureFiles, PicturesKeepTheFilesRowLayoutAndAreSavedAsTheyAre) {
    tk::Picture24 picture(5, 3);  // rows of 15 bytes padded to 16
    ASSERT_EQ(picture.RowBytes(), 16u);
    ASSERT_EQ(picture.rows.size(), 48u);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x) picture.Set(x, y, Pattern(5, 3).at(x, y));
    EXPECT_EQ(picture.Row(2), picture.rows.data());  // the bottom row first
    EXPECT_EQ(picture.rows[0], static_cast<std::uint8_t>(Pattern(5, 3).at(0, 2)));       // blue
    EXPECT_EQ(picture.rows[2], static_cast<std::uint8_t>(Pattern(5, 3).at(0, 2) >> 16));  // red
    for (int y = 0; y < 3; ++y) EXPECT_EQ(picture.rows[16 * static_cast<std::size_t>(y) + 15], 0) << "padding";
    EXPECT_EQ(tk::ToBitmap(picture).pixels, Pattern(5, 3).pixels);

    tk::SaveBitmapFile(picture, L"T:\\wall.bmp");
    Bytes expected = tk::Bmp24Headers(picture);
    expected.insert(expected.end(), picture.rows.begin(), picture.rows.end());
    const Bytes written = tk::fs::ReadFile(L"T:\\wall.bmp");
    EXPECT_EQ(written, expected);
    EXPECT_EQ(written, tk::EncodeBmp24(Pattern(5, 3)));
    const tk::Picture24 decoded = tk::DecodePicture(L"T:\\wall.bmp");
    EXPECT_EQ(decoded.rows, picture.rows);

    // Rows that do not match the size are refused, and the file stays as it was.
    tk::Picture24 broken = picture;
    broken.rows.pop_back();
    EXPECT_THROW(tk::SaveBitmapFile(broken, L"T:\\wall.bmp"), tk::PictureError);
    EXPECT_THROW(tk::SaveBitmapFile(tk::Picture24(), L"T:\\wall.bmp"), tk::PictureError);
    EXPECT_EQ(tk::fs::ReadFile(L"T:\\wall.bmp"), expected);
    EXPECT_EQ(HostNames(), std::vector<std::string>{"wall.bmp"});
}

TEST_F(PictureFiles, LargePictureIsWrittenWholeInChunks) {
    tk::Picture24 picture(1001, 700);  // 2.1 MB of rows, each padded by one byte
    for (std::size_t i = 0; i < picture.rows.size(); ++i) picture.rows[i] = static_cast<std::uint8_t>(i * 31 + i / 3003);
    for (int y = 0; y < picture.height; ++y) picture.Row(y)[3003] = 0;
    tk::SaveBitmapFile(picture, L"T:\\big.bmp");
    const Bytes written = tk::fs::ReadFile(L"T:\\big.bmp");
    ASSERT_EQ(written.size(), 54 + picture.rows.size());
    EXPECT_TRUE(std::equal(picture.rows.begin(), picture.rows.end(), written.begin() + 54));
    EXPECT_EQ(tk::DecodePicture(L"T:\\big.bmp").rows, picture.rows);
}

TEST_F(PictureFiles, SaveReplacesTheFileAndLeavesNoTemporaryFile) {
    WriteHost("wall.bmp", Bytes(10, 'x'));
    tk::SaveBitmapFile(Pattern(4, 4), L"T:\\wall.bmp");
    EXPECT_EQ(tk::DecodeImageFile(L"T:\\wall.bmp").pixels, Pattern(4, 4).pixels);
    tk::SaveBitmapFile(Pattern(2, 5), L"t:\\WALL.bmp\\..\\wall.bmp");
    EXPECT_EQ(tk::DecodeImageFile(L"T:\\wall.bmp").height, 5);
    EXPECT_EQ(HostNames(), std::vector<std::string>{"wall.bmp"});
}

TEST_F(PictureFiles, FailedSavesThrowAndLeaveWhatWasThere) {
    EXPECT_THROW(tk::SaveBitmapFile(Pattern(2, 2), L"T:\\missing\\wall.bmp"), tk::PictureError);
    // A folder of the target's name cannot be replaced by a file: it stays, with its content.
    ASSERT_EQ(::mkdir((root_ + "/wall.bmp").c_str(), 0755), 0);
    WriteHost("wall.bmp/keep", Bytes{1, 2, 3});
    EXPECT_THROW(tk::SaveBitmapFile(Pattern(2, 2), L"T:\\wall.bmp"), tk::PictureError);
    EXPECT_EQ(tk::fs::ReadFile(L"T:\\wall.bmp\\keep"), (Bytes{1, 2, 3}));
    EXPECT_EQ(HostNames(), std::vector<std::string>{"wall.bmp"});
    EXPECT_THROW(tk::SaveBitmapFile(Pattern(2, 2), L"Q:\\wall.bmp"), tk::PictureError);  // unmapped drive
}

TEST_F(PictureFiles, DecodingMissingOrForeignFilesThrowsPictureError) {
    EXPECT_THROW(tk::DecodeImageFile(L"T:\\none.jpg"), tk::PictureError);
    WriteHost("text.jpg", Bytes{'h', 'e', 'l', 'l', 'o'});
    EXPECT_THROW(tk::DecodeImageFile(L"T:\\text.jpg"), tk::PictureError);
    EXPECT_THROW(tk::DecodeImageFile(L"T:\\"), tk::PictureError);  // a folder
}

// 8-bit RLE, 4 x 3: a literal, a run, end of line, a delta skipping a pixel, end of bitmap.
TEST_F(PictureFiles, RunLengthBitmapsDecodeRunsLiteralsAndSkips) {
    Bytes b(54 + 4 * 4, 0);
    b[0] = 'B';
    b[1] = 'M';
    Put32le(b, 10, 54 + 16);
    Put32le(b, 14, 40);
    Put32le(b, 18, 4);
    Put32le(b, 22, 3);
    Put16le(b, 26, 1);
    Put16le(b, 28, 8);
    Put32le(b, 30, 1);
    Put32le(b, 46, 4);
    const std::uint32_t colours[4] = {0x123456, 0xFF0000, 0x00FF00, 0x0000FF};
    for (int i = 0; i < 4; ++i) Put32le(b, 54 + 4 * static_cast<std::size_t>(i), colours[i]);
    Append(b, {0, 3, 1, 1, 2, 0,  // bottom row: a literal red red green (padded to even)
               1, 3, 0, 0,        // a run of one blue, end of line
               0, 2, 1, 0,        // delta: one to the right on the middle row
               1, 3, 0, 1});      // blue at x=1, end of bitmap (the top row stays undefined)
    Put32le(b, 34, static_cast<std::uint32_t>(b.size() - 70));
    WriteHost("rle.bmp", b);
    const tk::Bitmap d = tk::DecodeImageFile(L"T:\\rle.bmp");
    ASSERT_EQ(d.width, 4);
    EXPECT_EQ(d.at(0, 2), 0xFF0000u);
    EXPECT_EQ(d.at(1, 2), 0xFF0000u);
    EXPECT_EQ(d.at(2, 2), 0x00FF00u);
    EXPECT_EQ(d.at(3, 2), 0x0000FFu);
    EXPECT_EQ(d.at(0, 1), 0x123456u);  // skipped: the first palette colour
    EXPECT_EQ(d.at(1, 1), 0x0000FFu);
    EXPECT_EQ(d.at(3, 0), 0x123456u);
}

TEST_F(PictureFiles, SixteenBitMasksWidenToFullIntensity) {
    Bytes b(54 + 12 + 4, 0);
    b[0] = 'B';
    b[1] = 'M';
    Put32le(b, 10, 66);
    Put32le(b, 14, 40);
    Put32le(b, 18, 2);
    Put32le(b, 22, 1);
    Put16le(b, 26, 1);
    Put16le(b, 28, 16);
    Put32le(b, 30, 3);
    Put32le(b, 54, 0xF800);
    Put32le(b, 58, 0x07E0);
    Put32le(b, 62, 0x001F);
    Put16le(b, 66, 0xFFFF);
    Put16le(b, 68, 0x07E0);
    WriteHost("565.bmp", b);
    const tk::Bitmap d = tk::DecodeImageFile(L"T:\\565.bmp");
    EXPECT_EQ(d.at(0, 0), 0xFFFFFFu);
    EXPECT_EQ(d.at(1, 0), 0x00FF00u);
}

}  // namespace
