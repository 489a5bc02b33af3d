#include "engine/encode.h"

#include <csetjmp>
#include <cstdio>
#include <initializer_list>
#include <new>
#include <vector>

#include <jpeglib.h>
#include <jerror.h>
#include <png.h>

namespace velmora {

namespace {

constexpr bool IsOneOf(std::string_view ext, std::initializer_list<std::string_view> names)
{
    for (const std::string_view name : names)
        if (ext == name)
            return true;
    return false;
}

// ---- JPEG ----------------------------------------------------------------------------------

struct JpegEncoder {
    jpeg_compress_struct cinfo{};
    jpeg_error_mgr errors{};
    jpeg_destination_mgr destination{};
    std::jmp_buf escape{};
    Bytes out;  // the file so far, with unused room at the end while encoding

    JpegEncoder()
    {
        cinfo.err = jpeg_std_error(&errors);
        errors.error_exit = [](j_common_ptr common) { std::longjmp(Of(common).escape, 1); };
        errors.output_message = [](j_common_ptr) {};
        cinfo.client_data = this;
        destination.init_destination = [](j_compress_ptr compress) { Of(compress).Grow(); };
        destination.empty_output_buffer = [](j_compress_ptr compress) -> boolean {
            Of(compress).Grow();
            return TRUE;
        };
        destination.term_destination = [](j_compress_ptr compress) {
            JpegEncoder& encoder = Of(compress);
            encoder.out.resize(encoder.out.size() - encoder.destination.free_in_buffer);
        };
    }
    ~JpegEncoder() { jpeg_destroy_compress(&cinfo); }
    JpegEncoder(const JpegEncoder&) = delete;
    JpegEncoder& operator=(const JpegEncoder&) = delete;

    template <typename Info>
    static JpegEncoder& Of(Info* info) { return *static_cast<JpegEncoder*>(info->client_data); }

    // Called when the room is used up: doubles the bytes and hands libjpeg the new half. An
    // allocation failure leaves through libjpeg's error exit, never as an exception through C.
    void Grow()
    {
        const std::size_t used = out.size();
        bool grown = true;
        try {
            out.resize(used == 0 ? 64 * 1024 : used * 2);
        } catch (const std::bad_alloc&) {
            grown = false;
        }
        if (!grown)
            ERREXIT1(&cinfo, JERR_OUT_OF_MEMORY, 0);
        destination.next_output_byte = out.data() + used;
        destination.free_in_buffer = out.size() - used;
    }

    // The settings the image library uses: its defaults (JFIF header, 4:2:0, Huffman tables of the
    // standard, no restarts) and the quality with baseline-compatible tables.
    bool Run(const Image& image, int quality)
    {
        if (setjmp(escape) != 0)
            return false;
        jpeg_create_compress(&cinfo);
        cinfo.dest = &destination;
        cinfo.image_width = static_cast<JDIMENSION>(image.cols);
        cinfo.image_height = static_cast<JDIMENSION>(image.rows);
        cinfo.input_components = 3;
        cinfo.in_color_space = JCS_EXT_BGR;
        jpeg_set_defaults(&cinfo);
        cinfo.restart_interval = 0;
        jpeg_set_quality(&cinfo, quality, TRUE);
        jpeg_start_compress(&cinfo, TRUE);
        while (cinfo.next_scanline < cinfo.image_height) {
            // libjpeg only reads the rows, despite the non-const pointer type.
            JSAMPROW row = const_cast<JSAMPROW>(image.ptr(static_cast<int>(cinfo.next_scanline)));
            jpeg_write_scanlines(&cinfo, &row, 1);
        }
        jpeg_finish_compress(&cinfo);
        return true;
    }
};

EncodedImage EncodeJpeg(const Image& image, int quality)
{
    JpegEncoder encoder;
    if (!encoder.Run(image, quality))
        return {{}, EncodeFailure::Failed};
    return {std::move(encoder.out), EncodeFailure::None};
}

// ---- PNG -----------------------------------------------------------------------------------

void AppendPngData(png_structp png, png_bytep data, png_size_t length)
{
    auto* out = static_cast<Bytes*>(png_get_io_ptr(png));
    bool grown = true;
    try {
        out->insert(out->end(), data, data + length);
    } catch (const std::bad_alloc&) {
        grown = false;
    }
    if (!grown)
        png_error(png, "out of memory");  // leaves through png's longjmp, outside the catch
}

// The settings the image library uses when no PNG option is given: SUB filter, fastest deflate
// level with the run-length strategy, 8-bit RGB written from BGR rows.
EncodedImage EncodePng(const Image& image)
{
    Bytes out;
    std::vector<png_bytep> rows(static_cast<std::size_t>(image.rows));
    for (int y = 0; y < image.rows; ++y)
        rows[static_cast<std::size_t>(y)] = const_cast<png_bytep>(image.ptr(y));

    png_structp png = png_create_write_struct(
        PNG_LIBPNG_VER_STRING, nullptr, [](png_structp, png_const_charp) {}, [](png_structp, png_const_charp) {});
    if (png == nullptr)
        return {{}, EncodeFailure::Failed};
    png_infop info = png_create_info_struct(png);
    // libpng longjmps here on any error; only the vectors above, created before, outlive the jump.
    if (info == nullptr || setjmp(png_jmpbuf(png)) != 0) {
        png_destroy_write_struct(&png, &info);
        return {{}, EncodeFailure::Failed};
    }
    png_set_write_fn(png, &out, &AppendPngData, [](png_structp) {});
    png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_SUB);
    png_set_compression_level(png, 1);      // Z_BEST_SPEED
    png_set_compression_strategy(png, 3);  // Z_RLE
    png_set_IHDR(png, info, static_cast<png_uint_32>(image.cols), static_cast<png_uint_32>(image.rows), 8,
                 PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    png_set_bgr(png);
    png_write_image(png, rows.data());
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return {std::move(out), EncodeFailure::None};
}

// ---- BMP -----------------------------------------------------------------------------------

void PutLittleEndian(Bytes& out, std::uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

// An uncompressed 24-bit bitmap, rows bottom-up and padded to four bytes, with the plain 40-byte
// header and zero resolution, as the image library writes it.
EncodedImage EncodeBmp(const Image& image)
{
    constexpr std::uint32_t kHeaderBytes = 14 + 40;
    const auto width = static_cast<std::uint32_t>(image.cols);
    const auto height = static_cast<std::uint32_t>(image.rows);
    const std::uint32_t rowBytes = width * 3u;
    const std::uint32_t paddedRowBytes = (rowBytes + 3u) & ~3u;
    const std::uint64_t fileBytes = std::uint64_t{paddedRowBytes} * height + kHeaderBytes;
    if (fileBytes > 0xFFFFFFFFu)
        return {{}, EncodeFailure::Failed};  // the header cannot state the size

    Bytes out;
    out.reserve(static_cast<std::size_t>(fileBytes));
    out.push_back('B');
    out.push_back('M');
    PutLittleEndian(out, static_cast<std::uint32_t>(fileBytes), 4);
    PutLittleEndian(out, 0, 4);             // reserved
    PutLittleEndian(out, kHeaderBytes, 4);  // offset of the pixels
    PutLittleEndian(out, 40, 4);            // size of this header
    PutLittleEndian(out, width, 4);
    PutLittleEndian(out, height, 4);        // positive: bottom-up
    PutLittleEndian(out, 1, 2);             // planes
    PutLittleEndian(out, 24, 2);            // bits per pixel
    for (int field = 0; field < 6; ++field)  // no compression, image size, resolution, palette
        PutLittleEndian(out, 0, 4);
    for (int y = image.rows - 1; y >= 0; --y) {
        const std::uint8_t* row = image.ptr(y);
        out.insert(out.end(), row, row + rowBytes);
        out.insert(out.end(), paddedRowBytes - rowBytes, 0);
    }
    return {std::move(out), EncodeFailure::None};
}

}  // namespace

EncodedImage EncodeImage(std::string_view lowerExtension, const Image& image, int jpegQuality)
{
    const bool jpeg = IsOneOf(lowerExtension, {".jpg", ".jpeg", ".jpe", ".jfif"});
    const bool png = lowerExtension == ".png";
    const bool bmp = IsOneOf(lowerExtension, {".bmp", ".dib"});
    if (!jpeg && !png && !bmp)
        return {{}, EncodeFailure::UnsupportedExtension};
    if (image.empty() || image.type() != CV_8UC3)
        return {{}, EncodeFailure::Failed};
    try {
        if (jpeg)
            return EncodeJpeg(image, jpegQuality);
        if (png)
            return EncodePng(image);
        return EncodeBmp(image);
    } catch (const std::bad_alloc&) {
        return {{}, EncodeFailure::Failed};
    }
}

}  // namespace velmora
