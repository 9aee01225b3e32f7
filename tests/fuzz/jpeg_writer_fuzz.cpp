// Fuzz target of the JPEG writer, EncodeJpeg, fed random sizes and pixels.
//
// The numbers come from the end of the input, the pixels from its front.
// Kinds of picture:
//   ordinary   sides of 1 to 256 pixels, often at block edges (1, 7, 8, 9,
//              15, 16, 17 ...), rows padded by 0 to 7 bytes, filled with
//              the input's bytes, one colour, noise or a gradient;
//   strip      one side up to the largest the format allows (65500), the
//              other 1 to 3 pixels;
//   too big    a side of 65501 pixels or more: EJPEG "Maximum supported
//              image dimension" must come back. Only a few bytes stand behind
//              Rows, since the library checks the size before it reads the
//              first row; a writer that read rows anyway would show up as a
//              heap overflow;
//   empty      a side of 0 or less: no bytes at all.
// The pixel buffer ends right after the last pixel of the last row, so any
// read beyond it is caught. A picture comes out as one JFIF 1.01 baseline
// file from FF D8 to FF D9 that the system's libjpeg decodes to the same
// size, with 2x2 sampled chroma, the tables of quality 90 and the standard
// Huffman tables; a picture of one colour decodes to nearly that colour.
#include <fuzzer/FuzzedDataProvider.h>

#include <climits>
#include <csetjmp>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <jpeglib.h>
#include <jerror.h>

#include "fuzz_support.h"
#include "jpeg_writer.h"

namespace {

using TBytes = std::vector<std::uint8_t>;

// KESTRUM_FUZZ_TRACE=1 prints each picture's kind, size and output size (to check seeds).
const bool cTrace = std::getenv("KESTRUM_FUZZ_TRACE") != nullptr;

void Trace(const char* kind, int width, int height, std::size_t outputSize = 0) {
    if (cTrace) std::fprintf(stderr, "%s %d x %d: %zu bytes\n", kind, width, height, outputSize);
}

// The example tables of the JPEG standard, in natural order.
const int cLuminanceQuant[64] = {
    16, 11, 10, 16, 24,  40,  51,  61,  12, 12, 14, 19, 26,  58,  60,  55,
    14, 13, 16, 24, 40,  57,  69,  56,  14, 17, 22, 29, 51,  87,  80,  62,
    18, 22, 37, 56, 68,  109, 103, 77,  24, 35, 55, 64, 81,  104, 113, 92,
    49, 64, 78, 87, 103, 121, 120, 101, 72, 92, 95, 98, 112, 100, 103, 99};
const int cChrominanceQuant[64] = {
    17, 18, 24, 47, 99, 99, 99, 99, 18, 21, 26, 66, 99, 99, 99, 99, 24, 26, 56, 99, 99, 99,
    99, 99, 47, 66, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99,
    99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99};
// Code counts per length (index 1 to 16) of the standard Huffman tables.
const int cDcLuminanceBits[17] = {0, 0, 1, 5, 1, 1, 1, 1, 1, 1, 0, 0, 0, 0, 0, 0, 0};
const int cAcLuminanceBits[17] = {0, 0, 2, 1, 3, 3, 2, 4, 3, 5, 5, 4, 4, 0, 0, 1, 0x7d};
const int cDcChrominanceBits[17] = {0, 0, 3, 1, 1, 1, 1, 1, 1, 1, 1, 1, 0, 0, 0, 0, 0};
const int cAcChrominanceBits[17] = {0, 0, 2, 1, 2, 4, 4, 3, 4, 7, 5, 4, 4, 0, 1, 2, 0x77};

// A table entry at quality 90: the example value scaled by 20 %, at most 255.
int Quality90(int base) {
    const int scaled = (base * 20 + 50) / 100;
    return scaled < 1 ? 1 : (scaled > 255 ? 255 : scaled);
}

// Decoding with the system's libjpeg. Its error exit returns by longjmp to
// the functions below, whose frames hold nothing with a destructor.
struct TDecoder {
    jpeg_decompress_struct Info{};
    jpeg_error_mgr Errors{};
    std::jmp_buf Failure;
    char Message[JMSG_LENGTH_MAX] = {};

    TDecoder() {
        Info.err = jpeg_std_error(&Errors);
        Errors.error_exit = ErrorExit;
        Info.client_data = this;
    }
    ~TDecoder() { jpeg_destroy_decompress(&Info); }
    TDecoder(const TDecoder&) = delete;
    TDecoder& operator=(const TDecoder&) = delete;

    static void ErrorExit(j_common_ptr info) {
        auto* decoder = static_cast<TDecoder*>(info->client_data);
        info->err->format_message(info, decoder->Message);
        std::longjmp(decoder->Failure, 1);
    }
};

bool StartDecoding(TDecoder& d, const TBytes& jpeg) {
    if (setjmp(d.Failure) != 0) return false;
    jpeg_create_decompress(&d.Info);
    jpeg_mem_src(&d.Info, jpeg.data(), static_cast<unsigned long>(jpeg.size()));
    jpeg_read_header(&d.Info, TRUE);
    d.Info.out_color_space = JCS_RGB;
    jpeg_start_decompress(&d.Info);
    return true;
}

bool DecodeRows(TDecoder& d, std::uint8_t* rgb) {
    if (setjmp(d.Failure) != 0) return false;
    while (d.Info.output_scanline < d.Info.output_height) {
        JSAMPROW row = rgb + static_cast<std::size_t>(d.Info.output_scanline) * d.Info.output_width * 3;
        jpeg_read_scanlines(&d.Info, &row, 1);
    }
    jpeg_finish_decompress(&d.Info);
    return true;
}

void RequireDecodeStep(bool ok, const TDecoder& d) {
    if (!ok) std::fprintf(stderr, "libjpeg: %s\n", d.Message);
    FUZZ_REQUIRE(ok);
}

void CheckTables(const jpeg_decompress_struct& info) {
    FUZZ_REQUIRE(info.saw_JFIF_marker && info.JFIF_major_version == 1 && info.JFIF_minor_version == 1);
    FUZZ_REQUIRE(!info.progressive_mode && !info.arith_code && info.data_precision == 8);
    FUZZ_REQUIRE(info.num_components == 3 && info.jpeg_color_space == JCS_YCbCr);
    const jpeg_component_info* c = info.comp_info;
    FUZZ_REQUIRE(c[0].h_samp_factor == 2 && c[0].v_samp_factor == 2);
    FUZZ_REQUIRE(c[1].h_samp_factor == 1 && c[1].v_samp_factor == 1);
    FUZZ_REQUIRE(c[2].h_samp_factor == 1 && c[2].v_samp_factor == 1);
    const JQUANT_TBL* luminance = info.quant_tbl_ptrs[c[0].quant_tbl_no];
    const JQUANT_TBL* chrominance = info.quant_tbl_ptrs[c[1].quant_tbl_no];
    FUZZ_REQUIRE(luminance != nullptr && chrominance != nullptr && c[2].quant_tbl_no == c[1].quant_tbl_no);
    for (int i = 0; i < 64; ++i) {
        FUZZ_REQUIRE(luminance->quantval[i] == Quality90(cLuminanceQuant[i]));
        FUZZ_REQUIRE(chrominance->quantval[i] == Quality90(cChrominanceQuant[i]));
    }
    const JHUFF_TBL* dc0 = info.dc_huff_tbl_ptrs[0];
    const JHUFF_TBL* ac0 = info.ac_huff_tbl_ptrs[0];
    const JHUFF_TBL* dc1 = info.dc_huff_tbl_ptrs[1];
    const JHUFF_TBL* ac1 = info.ac_huff_tbl_ptrs[1];
    FUZZ_REQUIRE(dc0 && ac0 && dc1 && ac1);
    for (int i = 1; i <= 16; ++i) {
        FUZZ_REQUIRE(dc0->bits[i] == cDcLuminanceBits[i] && ac0->bits[i] == cAcLuminanceBits[i]);
        FUZZ_REQUIRE(dc1->bits[i] == cDcChrominanceBits[i] && ac1->bits[i] == cAcChrominanceBits[i]);
    }
}

// Decodes jpeg and checks it against the picture it was made from. flat:
// every pixel has the colour of the first one.
void CheckJpeg(const TBytes& jpeg, const TBgrPixels& pixels, bool flat) {
    FUZZ_REQUIRE(jpeg.size() >= 4);
    FUZZ_REQUIRE(jpeg[0] == 0xFF && jpeg[1] == 0xD8);
    FUZZ_REQUIRE(jpeg[jpeg.size() - 2] == 0xFF && jpeg[jpeg.size() - 1] == 0xD9);

    TDecoder d;
    RequireDecodeStep(StartDecoding(d, jpeg), d);
    FUZZ_REQUIRE(d.Info.image_width == static_cast<JDIMENSION>(pixels.Width));
    FUZZ_REQUIRE(d.Info.image_height == static_cast<JDIMENSION>(pixels.Height));
    CheckTables(d.Info);
    FUZZ_REQUIRE(d.Info.output_components == 3);
    TBytes rgb(static_cast<std::size_t>(pixels.Width) * pixels.Height * 3);
    RequireDecodeStep(DecodeRows(d, rgb.data()), d);
    FUZZ_REQUIRE(d.Errors.num_warnings == 0);  // such as data ending early
    FUZZ_REQUIRE(d.Info.input_scan_number == 1);

    if (flat) {
        // Blue, green, red in the picture; red, green, blue decoded.
        const std::uint8_t want[3] = {pixels.Rows[2], pixels.Rows[1], pixels.Rows[0]};
        for (std::size_t i = 0; i < rgb.size(); ++i) {
            const int difference = static_cast<int>(rgb[i]) - want[i % 3];
            if (difference < -8 || difference > 8) {
                std::fprintf(stderr, "pixel %zu channel %zu: %d, want %d\n", i / 3, i % 3, rgb[i], want[i % 3]);
            }
            FUZZ_REQUIRE(difference >= -8 && difference <= 8);
        }
    }
}

// A side length, often one at the edge of the 8- and 16-pixel blocks.
int PickSide(FuzzedDataProvider& fdp, int largest) {
    static const int cEdges[] = {1, 2, 3, 7, 8, 9, 15, 16, 17, 31, 32, 33};
    const int pick = fdp.ConsumeIntegralInRange(0, 15);
    if (pick < 12) return cEdges[pick];
    return fdp.ConsumeIntegralInRange(1, largest);
}

// How the pixels are filled. The library is not instrumented, so the
// fuzzer cannot tell pixel bytes apart by coverage: noise from a seed gives
// large files (the output buffer grows) from a few input bytes.
enum class TFill { Bytes, OneColour, Noise, Gradient };

void EncodeOrdinary(FuzzedDataProvider& fdp, int width, int height) {
    const int padding = fdp.ConsumeIntegralInRange(0, 7);
    const auto fill = static_cast<TFill>(fdp.ConsumeIntegralInRange(0, 3));
    std::uint32_t random = fdp.ConsumeIntegral<std::uint32_t>();
    TBytes source = fdp.ConsumeRemainingBytes<std::uint8_t>();
    if (source.empty()) source = {static_cast<std::uint8_t>(random), static_cast<std::uint8_t>(random >> 8),
                                  static_cast<std::uint8_t>(random >> 16)};

    const std::ptrdiff_t stride = static_cast<std::ptrdiff_t>(width) * 3 + padding;
    TBytes rows(static_cast<std::size_t>(stride) * (height - 1) + static_cast<std::size_t>(width) * 3, 0xA5);
    std::size_t next = 0;
    for (int y = 0; y < height; ++y) {
        std::uint8_t* row = rows.data() + y * stride;
        for (int x = 0; x < width * 3; ++x) {
            switch (fill) {
                case TFill::Bytes: row[x] = source[next++ % source.size()]; break;
                case TFill::OneColour: row[x] = source[x % 3 % source.size()]; break;
                case TFill::Noise:
                    random = random * 1103515245u + 12345u;
                    row[x] = static_cast<std::uint8_t>(random >> 16);
                    break;
                case TFill::Gradient: row[x] = static_cast<std::uint8_t>(x * 7 + y * 13); break;
            }
        }
    }
    const TBgrPixels pixels{width, height, stride, rows.data()};
    const bool flat = fill == TFill::OneColour;
    const TBytes jpeg = EncodeJpeg(pixels);
    Trace(flat ? "one colour" : "pixels", width, height, jpeg.size());
    CheckJpeg(jpeg, pixels, flat);
}

void EncodeTooBig(FuzzedDataProvider& fdp) {
    const int big = fdp.ConsumeBool() ? 65501 : fdp.ConsumeIntegralInRange(65501, INT_MAX);
    const int other = fdp.ConsumeBool() ? fdp.ConsumeIntegralInRange(1, 3) : fdp.ConsumeIntegralInRange(1, INT_MAX);
    const bool wide = fdp.ConsumeBool();
    const int width = wide ? big : other;
    const int height = wide ? other : big;
    const TBytes few(3, 0x80);
    const TBgrPixels pixels{width, height, static_cast<std::ptrdiff_t>(width) * 3, few.data()};
    Trace("too big", width, height);
    bool raised = false;
    try {
        EncodeJpeg(pixels);
    } catch (const EJPEG& e) {
        raised = true;
        FUZZ_REQUIRE(e.MessageNumber == JERR_IMAGE_TOO_BIG);
        FUZZ_REQUIRE(e.Message() == L"JPEG-Fehler #" + std::to_wstring(static_cast<int>(JERR_IMAGE_TOO_BIG)));
    }
    FUZZ_REQUIRE(raised);
}

void EncodeEmpty(FuzzedDataProvider& fdp) {
    const int side = fdp.ConsumeIntegralInRange(INT_MIN, 0);
    const int other = fdp.ConsumeIntegralInRange(INT_MIN, INT_MAX);
    const bool wide = fdp.ConsumeBool();
    const TBgrPixels pixels{wide ? other : side, wide ? side : other, 0, nullptr};
    Trace("empty", pixels.Width, pixels.Height);
    FUZZ_REQUIRE(EncodeJpeg(pixels).empty());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider fdp(data, size);
    const int kind = fdp.ConsumeIntegralInRange(0, 9);
    if (kind <= 6) {
        const int width = PickSide(fdp, 256);
        const int height = PickSide(fdp, 256);
        EncodeOrdinary(fdp, width, height);
    } else if (kind == 7) {
        const int longSide = fdp.ConsumeBool() ? 65500 : fdp.ConsumeIntegralInRange(1, 65500);
        const int shortSide = fdp.ConsumeIntegralInRange(1, 3);
        const bool wide = fdp.ConsumeBool();
        EncodeOrdinary(fdp, wide ? longSide : shortSide, wide ? shortSide : longSide);
    } else if (kind == 8) {
        EncodeTooBig(fdp);
    } else {
        EncodeEmpty(fdp);
    }
    return 0;
}
