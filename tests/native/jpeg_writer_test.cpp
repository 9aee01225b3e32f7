#include "jpeg_writer.h"

#include <gtest/gtest.h>

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <jpeglib.h>
#include <jerror.h>

#include "param_name.h"

namespace {

using TBytes = std::vector<std::uint8_t>;

struct TColor {
    std::uint8_t R, G, B;
};

// A picture in blue-green-red rows with a padded stride whose padding holds
// bytes that must never show up in the image.
struct TTestPicture {
    int Width;
    int Height;
    std::ptrdiff_t Stride;
    TBytes Bytes;

    TTestPicture(int width, int height, TColor fill)
        : Width(width), Height(height), Stride(static_cast<std::ptrdiff_t>(width) * 3 + 5),
          Bytes(static_cast<std::size_t>(Stride) * static_cast<std::size_t>(height), 0x7F) {
        for (int y = 0; y < height; ++y) SetRow(y, fill);
    }
    void SetRow(int y, TColor c) {
        for (int x = 0; x < Width; ++x) {
            std::uint8_t* p = Bytes.data() + y * Stride + x * 3;
            p[0] = c.B;
            p[1] = c.G;
            p[2] = c.R;
        }
    }
    TBgrPixels Pixels() const { return {Width, Height, Stride, Bytes.data()}; }
};

// A picture decoded by the system's libjpeg: RGB rows without padding.
struct TDecoded {
    bool Ok = false;
    int Width = 0;
    int Height = 0;
    int Components = 0;
    TBytes Rgb;
    TColor At(int x, int y) const {
        const std::uint8_t* p = Rgb.data() + (static_cast<std::size_t>(y) * Width + x) * 3;
        return {p[0], p[1], p[2]};
    }
};

struct TDecodeState {
    jpeg_decompress_struct Info;
    jpeg_error_mgr Errors;
    std::jmp_buf Failure;
};

void DecodeErrorExit(j_common_ptr info) { std::longjmp(static_cast<TDecodeState*>(info->client_data)->Failure, 1); }

// No object with a destructor in this frame: errors return here by longjmp.
bool RunDecode(TDecodeState& s, const TBytes& jpeg, TDecoded& out) {
    if (setjmp(s.Failure) != 0) return false;
    jpeg_create_decompress(&s.Info);
    jpeg_mem_src(&s.Info, jpeg.data(), static_cast<unsigned long>(jpeg.size()));
    jpeg_read_header(&s.Info, TRUE);
    s.Info.out_color_space = JCS_RGB;
    jpeg_start_decompress(&s.Info);
    out.Width = static_cast<int>(s.Info.output_width);
    out.Height = static_cast<int>(s.Info.output_height);
    out.Components = s.Info.num_components;
    out.Rgb.resize(static_cast<std::size_t>(out.Width) * out.Height * 3);
    while (s.Info.output_scanline < s.Info.output_height) {
        JSAMPROW row = out.Rgb.data() + static_cast<std::size_t>(s.Info.output_scanline) * out.Width * 3;
        jpeg_read_scanlines(&s.Info, &row, 1);
    }
    jpeg_finish_decompress(&s.Info);
    return true;
}

TDecoded Decode(const TBytes& jpeg) {
    TDecodeState s{};
    s.Info.err = jpeg_std_error(&s.Errors);
    s.Errors.error_exit = DecodeErrorExit;
    s.Info.client_data = &s;
    TDecoded out;
    out.Ok = RunDecode(s, jpeg, out);
    jpeg_destroy_decompress(&s.Info);
    return out;
}

bool Near(TColor a, TColor b, int tolerance) {
    return std::abs(a.R - b.R) <= tolerance && std::abs(a.G - b.G) <= tolerance && std::abs(a.B - b.B) <= tolerance;
}

std::string Text(TColor c) {
    return "(" + std::to_string(c.R) + "," + std::to_string(c.G) + "," + std::to_string(c.B) + ")";
}

// The markers of a JPEG file's segments up to and including the scan header,
// then the end: the scan data is walked over, and only FF 00 (stuffing) may
// stand in it, so that a restart marker or a second scan shows up as a fault.
std::vector<int> Markers(const TBytes& d, std::string& problem) {
    std::vector<int> result;
    if (d.size() < 4 || d[0] != 0xFF || d[1] != 0xD8) {
        problem = "no SOI";
        return result;
    }
    result.push_back(0xD8);
    std::size_t at = 2;
    for (;;) {
        if (at + 4 > d.size() || d[at] != 0xFF) {
            problem = "no marker at " + std::to_string(at);
            return result;
        }
        const std::uint8_t marker = d[at + 1];
        const std::size_t length = (static_cast<std::size_t>(d[at + 2]) << 8) | d[at + 3];
        if (length < 2 || at + 2 + length > d.size()) {
            problem = "bad length at " + std::to_string(at);
            return result;
        }
        result.push_back(marker);
        at += 2 + length;
        if (marker == 0xDA) break;
    }
    for (; at + 1 < d.size(); ++at) {
        if (d[at] != 0xFF) continue;
        if (d[at + 1] == 0x00) {
            ++at;
            continue;
        }
        if (d[at + 1] == 0xD9 && at + 2 == d.size()) {
            result.push_back(0xD9);
            return result;
        }
        problem = "marker FF " + std::to_string(d[at + 1]) + " inside the scan data at " + std::to_string(at);
        return result;
    }
    problem = "no EOI at the end";
    return result;
}

TEST(JpegWriterLayout, BaselineJfifSegmentsInOrder) {
    TTestPicture picture(37, 21, {200, 120, 40});
    for (int y = 0; y < 21; y += 3) picture.SetRow(y, {10, 60, 250});
    const TBytes jpeg = EncodeJpeg(picture.Pixels());

    const TBytes start = {0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x10, 0x4A, 0x46, 0x49, 0x46,
                          0x00, 0x01, 0x01, 0x00, 0x00, 0x01, 0x00, 0x01, 0x00, 0x00};
    ASSERT_GE(jpeg.size(), start.size());
    EXPECT_EQ(TBytes(jpeg.begin(), jpeg.begin() + 20), start);

    std::string problem;
    const std::vector<int> markers = Markers(jpeg, problem);
    EXPECT_EQ(problem, "");
    // SOI APP0 DQT DQT SOF0 DHT DHT DHT DHT SOS EOI: never SOF2, no other
    // segment, one scan without restart markers. The tables themselves are
    // the library's, pinned with the settings by SameFileAsTheLibrary below.
    EXPECT_EQ(markers, (std::vector<int>{0xD8, 0xE0, 0xDB, 0xDB, 0xC0, 0xC4, 0xC4, 0xC4, 0xC4, 0xDA, 0xD9}));
}

// One colour over the whole picture survives the blue-green-red rows, at
// sizes that fill whole blocks, partial blocks and a single pixel.
struct ColorCase {
    const char* name;
    TColor color;
    int width;
    int height;
};

class JpegWriterColorTest : public testing::TestWithParam<ColorCase> {};

TEST_P(JpegWriterColorTest, DecodesBackToTheColor) {
    const ColorCase& c = GetParam();
    const TTestPicture picture(c.width, c.height, c.color);
    const TDecoded decoded = Decode(EncodeJpeg(picture.Pixels()));
    ASSERT_TRUE(decoded.Ok);
    EXPECT_EQ(decoded.Width, c.width);
    EXPECT_EQ(decoded.Height, c.height);
    EXPECT_EQ(decoded.Components, 3);
    for (int y = 0; y < decoded.Height; ++y) {
        for (int x = 0; x < decoded.Width; ++x) {
            ASSERT_TRUE(Near(decoded.At(x, y), c.color, 6))
                << "pixel " << x << "," << y << " is " << Text(decoded.At(x, y)) << ", not " << Text(c.color);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, JpegWriterColorTest,
                         testing::Values(ColorCase{"Red", {255, 0, 0}, 32, 32}, ColorCase{"Blue", {0, 0, 255}, 32, 16},
                                         ColorCase{"Green", {0, 255, 0}, 17, 9},
                                         ColorCase{"White", {255, 255, 255}, 96, 48},
                                         ColorCase{"RedSinglePixel", {255, 0, 0}, 1, 1}),
                         TParamName());

TEST(JpegWriter, FirstRowIsTheTopOfTheImage) {
    TTestPicture picture(32, 32, {255, 0, 0});
    for (int y = 16; y < 32; ++y) picture.SetRow(y, {0, 0, 255});
    const TDecoded decoded = Decode(EncodeJpeg(picture.Pixels()));
    ASSERT_TRUE(decoded.Ok);
    EXPECT_TRUE(Near(decoded.At(8, 4), {255, 0, 0}, 12)) << Text(decoded.At(8, 4));
    EXPECT_TRUE(Near(decoded.At(8, 27), {0, 0, 255}, 12)) << Text(decoded.At(8, 27));
}

// The library driven the common way, with red-green-blue rows: the reference
// for settings the header does not show (the DCT method above all).
struct TReferenceState {
    jpeg_compress_struct Info;
    jpeg_error_mgr Errors;
    std::jmp_buf Failure;
    unsigned char* Buffer;
    unsigned long Size;
};

void ReferenceErrorExit(j_common_ptr info) {
    std::longjmp(static_cast<TReferenceState*>(info->client_data)->Failure, 1);
}

bool RunReference(TReferenceState& s, const TBytes& rgb, int width, int height, J_DCT_METHOD dct) {
    if (setjmp(s.Failure) != 0) return false;
    jpeg_create_compress(&s.Info);
    jpeg_mem_dest(&s.Info, &s.Buffer, &s.Size);
    s.Info.image_width = static_cast<JDIMENSION>(width);
    s.Info.image_height = static_cast<JDIMENSION>(height);
    s.Info.input_components = 3;
    s.Info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&s.Info);
    s.Info.dct_method = dct;
    jpeg_set_quality(&s.Info, 90, TRUE);
    jpeg_start_compress(&s.Info, TRUE);
    while (s.Info.next_scanline < s.Info.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(rgb.data() + static_cast<std::size_t>(s.Info.next_scanline) * width * 3);
        jpeg_write_scanlines(&s.Info, &row, 1);
    }
    jpeg_finish_compress(&s.Info);
    return true;
}

TBytes ReferenceJpeg(const TBytes& rgb, int width, int height, J_DCT_METHOD dct) {
    TReferenceState s{};
    s.Info.err = jpeg_std_error(&s.Errors);
    s.Errors.error_exit = ReferenceErrorExit;
    s.Info.client_data = &s;
    TBytes result;
    if (RunReference(s, rgb, width, height, dct)) result.assign(s.Buffer, s.Buffer + s.Size);
    jpeg_destroy_compress(&s.Info);
    std::free(s.Buffer);
    return result;
}

TEST(JpegWriter, SameFileAsTheLibraryWithRgbRowsAndFloatDct) {
    const int width = 45;
    const int height = 29;
    TTestPicture picture(width, height, {0, 0, 0});
    TBytes rgb(static_cast<std::size_t>(width) * height * 3);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const TColor c = {static_cast<std::uint8_t>(x * 5 + y), static_cast<std::uint8_t>((x * y) % 251),
                              static_cast<std::uint8_t>(255 - y * 8)};
            std::uint8_t* bgr = picture.Bytes.data() + y * picture.Stride + x * 3;
            bgr[0] = c.B;
            bgr[1] = c.G;
            bgr[2] = c.R;
            std::uint8_t* p = rgb.data() + (static_cast<std::size_t>(y) * width + x) * 3;
            p[0] = c.R;
            p[1] = c.G;
            p[2] = c.B;
        }
    }
    const TBytes ours = EncodeJpeg(picture.Pixels());
    const TBytes floatDct = ReferenceJpeg(rgb, width, height, JDCT_FLOAT);
    ASSERT_FALSE(floatDct.empty());
    EXPECT_TRUE(ours == floatDct) << "differs from the library's own float-DCT file";
    // The comparison sees the DCT method: the integer DCT gives another file.
    EXPECT_FALSE(ours == ReferenceJpeg(rgb, width, height, JDCT_ISLOW));
}

TEST(JpegWriter, NoPixelsGiveNoBytes) {
    const std::uint8_t pixel[3] = {1, 2, 3};
    EXPECT_TRUE(EncodeJpeg({0, 5, 3, pixel}).empty());
    EXPECT_TRUE(EncodeJpeg({5, 0, 15, pixel}).empty());
}

TEST(JpegWriter, LongestSideOfTheLibraryIsAccepted) {
    const TTestPicture picture(JPEG_MAX_DIMENSION, 1, {0, 0, 255});
    const TDecoded decoded = Decode(EncodeJpeg(picture.Pixels()));
    ASSERT_TRUE(decoded.Ok);
    EXPECT_EQ(decoded.Width, JPEG_MAX_DIMENSION);
    EXPECT_EQ(decoded.Height, 1);
}

// A side over the library's limit fails with the library's own message
// number, and no bytes come back.
struct TooBigCase {
    const char* name;
    int width;
    int height;
};

class JpegWriterTooBigTest : public testing::TestWithParam<TooBigCase> {};

TEST_P(JpegWriterTooBigTest, RaisesTheLibraryMessageNumber) {
    const TTestPicture picture(GetParam().width, GetParam().height, {255, 0, 0});
    TBytes result = {0xAA};
    try {
        result = EncodeJpeg(picture.Pixels());
        FAIL() << "no error raised";
    } catch (const EJPEG& e) {
        EXPECT_EQ(e.MessageNumber, JERR_IMAGE_TOO_BIG);
        EXPECT_EQ(e.Message(), L"JPEG-Fehler #" + std::to_wstring(static_cast<int>(JERR_IMAGE_TOO_BIG)));
        EXPECT_STREQ(e.ClassName(), L"EJPEG");
    }
    EXPECT_EQ(result, TBytes{0xAA});
}

INSTANTIATE_TEST_SUITE_P(Cases, JpegWriterTooBigTest,
                         testing::Values(TooBigCase{"Wide", JPEG_MAX_DIMENSION + 1, 1},
                                         TooBigCase{"Tall", 1, JPEG_MAX_DIMENSION + 1}),
                         TParamName());

}  // namespace
