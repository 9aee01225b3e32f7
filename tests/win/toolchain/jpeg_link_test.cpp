// Round trip through the statically linked libjpeg-turbo: blue-green-red rows
// in, the same colours out.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

#include <jpeglib.h>

namespace {

TEST(JpegLinkTest, EncodesBgrRowsAndDecodesThemBack) {
    const int width = 32, height = 16;
    std::vector<unsigned char> bgr(static_cast<std::size_t>(width * height * 3));
    for (int i = 0; i < width * height; ++i) {
        bgr[i * 3 + 0] = 0;    // blue
        bgr[i * 3 + 1] = 0;    // green
        bgr[i * 3 + 2] = 255;  // red
    }

    jpeg_compress_struct cinfo;
    jpeg_error_mgr jerr;
    cinfo.err = jpeg_std_error(&jerr);
    jpeg_create_compress(&cinfo);
    unsigned char* out = nullptr;
    unsigned long outSize = 0;
    jpeg_mem_dest(&cinfo, &out, &outSize);
    cinfo.image_width = width;
    cinfo.image_height = height;
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_EXT_BGR;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, 90, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW row = &bgr[cinfo.next_scanline * width * 3];
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    ASSERT_GT(outSize, 4u);
    EXPECT_EQ(out[0], 0xFF);
    EXPECT_EQ(out[1], 0xD8);
    EXPECT_EQ(JPEG_LIB_VERSION, 62);

    jpeg_decompress_struct dinfo;
    dinfo.err = jpeg_std_error(&jerr);
    jpeg_create_decompress(&dinfo);
    jpeg_mem_src(&dinfo, out, outSize);
    ASSERT_EQ(jpeg_read_header(&dinfo, TRUE), JPEG_HEADER_OK);
    dinfo.out_color_space = JCS_RGB;
    jpeg_start_decompress(&dinfo);
    EXPECT_EQ(dinfo.output_width, static_cast<JDIMENSION>(width));
    EXPECT_EQ(dinfo.output_height, static_cast<JDIMENSION>(height));
    std::vector<unsigned char> row(static_cast<std::size_t>(width * 3));
    JSAMPROW rowPtr = row.data();
    while (dinfo.output_scanline < dinfo.output_height) {
        ASSERT_EQ(jpeg_read_scanlines(&dinfo, &rowPtr, 1), 1u);
        EXPECT_GT(row[0], 230);  // red
        EXPECT_LT(row[1], 30);
        EXPECT_LT(row[2], 30);
    }
    jpeg_finish_decompress(&dinfo);
    jpeg_destroy_decompress(&dinfo);
    std::free(out);
}

}  // namespace
