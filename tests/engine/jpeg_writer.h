// JPEG files of every kind the photo decoder must read, written with libjpeg directly: the image
// library's own writer knows only baseline and simple progressive 4:2:0 files.
#pragma once

#include <algorithm>
#include <csetjmp>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <vector>

#include <jpeglib.h>
#include <opencv2/core.hpp>

enum class JpegColour { YCbCr, Grey, AdobeRgb, Cmyk, Ycck };

struct JpegWriteOptions {
    JpegColour colour = JpegColour::YCbCr;
    int lumaH = 2;  // sampling factors of the first component; the others are 1 x 1
    int lumaV = 2;
    int quality = 85;
    bool progressive = false;   // libjpeg's standard progression
    bool arithmetic = false;
    int restartRows = 0;        // a restart marker every this many MCU rows
    bool optimise = false;      // Huffman tables made for the picture
    std::vector<jpeg_scan_info> scans{};  // an explicit scan script, when not empty
};

// Writes the 8-bit BGR picture; throws on an encoder error.
inline std::vector<std::uint8_t> WriteJpeg(const cv::Mat& bgr, const JpegWriteOptions& options)
{
    struct Writer {
        jpeg_compress_struct cinfo{};
        jpeg_error_mgr errors{};
        std::jmp_buf escape{};
        unsigned char* buffer = nullptr;
        unsigned long size = 0;
        ~Writer()
        {
            jpeg_destroy_compress(&cinfo);
            std::free(buffer);
        }
    } writer;
    CV_Assert(bgr.type() == CV_8UC3);

    // CMYK input made from the picture: the inverse of each colour channel, and black from the
    // darkest of them, so that all four carry detail.
    std::vector<std::uint8_t> cmyk;
    const bool fourComponents = options.colour == JpegColour::Cmyk || options.colour == JpegColour::Ycck;
    if (fourComponents) {
        cmyk.reserve(bgr.total() * 4);
        for (int y = 0; y < bgr.rows; ++y)
            for (int x = 0; x < bgr.cols; ++x) {
                const cv::Vec3b p = bgr.at<cv::Vec3b>(y, x);
                const std::uint8_t k = static_cast<std::uint8_t>(255 - std::max({p[0], p[1], p[2]}));
                cmyk.insert(cmyk.end(), {static_cast<std::uint8_t>(255 - p[2]), static_cast<std::uint8_t>(255 - p[1]),
                                         static_cast<std::uint8_t>(255 - p[0]), k});
            }
    }

    writer.cinfo.err = jpeg_std_error(&writer.errors);
    writer.errors.error_exit = [](j_common_ptr common) {
        std::longjmp(*static_cast<std::jmp_buf*>(common->client_data), 1);
    };
    writer.cinfo.client_data = &writer.escape;
    if (setjmp(writer.escape) != 0) {
        writer.buffer = nullptr;  // may be stale once the library has grown it; leaked instead
        throw std::runtime_error("libjpeg refused to write the test picture");
    }

    jpeg_create_compress(&writer.cinfo);
    jpeg_mem_dest(&writer.cinfo, &writer.buffer, &writer.size);
    writer.cinfo.image_width = static_cast<JDIMENSION>(bgr.cols);
    writer.cinfo.image_height = static_cast<JDIMENSION>(bgr.rows);
    writer.cinfo.input_components = fourComponents ? 4 : 3;
    writer.cinfo.in_color_space = fourComponents ? JCS_CMYK : JCS_EXT_BGR;
    jpeg_set_defaults(&writer.cinfo);
    switch (options.colour) {
    case JpegColour::YCbCr:
        break;
    case JpegColour::Grey:
        jpeg_set_colorspace(&writer.cinfo, JCS_GRAYSCALE);
        break;
    case JpegColour::AdobeRgb:
        jpeg_set_colorspace(&writer.cinfo, JCS_RGB);  // stored as RGB, told by an Adobe marker
        break;
    case JpegColour::Cmyk:
        jpeg_set_colorspace(&writer.cinfo, JCS_CMYK);
        break;
    case JpegColour::Ycck:
        jpeg_set_colorspace(&writer.cinfo, JCS_YCCK);
        break;
    }
    jpeg_set_quality(&writer.cinfo, options.quality, TRUE);
    writer.cinfo.comp_info[0].h_samp_factor = options.lumaH;
    writer.cinfo.comp_info[0].v_samp_factor = options.lumaV;
    writer.cinfo.arith_code = options.arithmetic ? TRUE : FALSE;
    writer.cinfo.optimize_coding = options.optimise ? TRUE : FALSE;
    writer.cinfo.restart_in_rows = options.restartRows;
    if (options.progressive)
        jpeg_simple_progression(&writer.cinfo);
    if (!options.scans.empty()) {
        writer.cinfo.scan_info = options.scans.data();
        writer.cinfo.num_scans = static_cast<int>(options.scans.size());
    }
    jpeg_start_compress(&writer.cinfo, TRUE);
    while (writer.cinfo.next_scanline < writer.cinfo.image_height) {
        const auto y = static_cast<int>(writer.cinfo.next_scanline);
        JSAMPROW row = fourComponents ? cmyk.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(bgr.cols) * 4
                                      : const_cast<JSAMPROW>(bgr.ptr(y));
        jpeg_write_scanlines(&writer.cinfo, &row, 1);
    }
    jpeg_finish_compress(&writer.cinfo);
    return {writer.buffer, writer.buffer + writer.size};
}

// A legal progressive script for a one-component picture that sends each coefficient on its own,
// most significant bit first, down to bit 0: `bits` scans for the DC and for each of the 63 AC
// coefficients, until `count` scans are written. Real encoders never split a picture this finely;
// a file made so is a scan bomb that libjpeg reads without complaint.
inline std::vector<jpeg_scan_info> FineGreyScript(int count, int bits)
{
    std::vector<jpeg_scan_info> scans;
    const auto add = [&](int ss, int se, int ah, int al) {
        if (static_cast<int>(scans.size()) < count)
            scans.push_back(jpeg_scan_info{1, {0, 0, 0, 0}, ss, se, ah, al});
    };
    for (int coefficient = 0; coefficient < 64; ++coefficient) {
        add(coefficient, coefficient, 0, bits - 1);
        for (int bit = bits - 1; bit > 0; --bit)
            add(coefficient, coefficient, bit, bit - 1);
    }
    return scans;
}

// A legal progressive script for a three-component picture: the DC of all three in one scan, then
// the AC coefficients of the chroma components one scan each, until `count` scans are written (at
// most 127). In 4:2:0 each chroma scan carries a sixth of the picture's blocks: many scans, little
// work.
inline std::vector<jpeg_scan_info> ChromaByCoefficientScript(int count)
{
    std::vector<jpeg_scan_info> scans = {jpeg_scan_info{3, {0, 1, 2, 0}, 0, 0, 0, 0}};
    for (int component = 1; component <= 2; ++component)
        for (int coefficient = 1; coefficient < 64 && static_cast<int>(scans.size()) < count; ++coefficient)
            scans.push_back(jpeg_scan_info{1, {component, 0, 0, 0}, coefficient, coefficient, 0, 0});
    return scans;
}
