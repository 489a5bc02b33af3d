#include "engine/decode.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <exception>
#include <new>
#include <vector>

#include <jpeglib.h>
#include <jerror.h>

#include "engine/jpeg_structure.h"

namespace velmora {

namespace {

// What libjpeg reports as a warning and then works around. Those that stand for lost or made-up
// picture data make the photo undecodable: the library fills the gap with grey or with garbage
// and would otherwise hand back a photo that is partly invented.
bool LosesPictureData(int warning)
{
    switch (warning) {
    case JWRN_HIT_MARKER:         // scan data ends before its blocks do: the rest is made up
    case JWRN_JPEG_EOF:           // the file ends inside the picture
    case JWRN_HUFF_BAD_CODE:      // a code no table holds: the bits are corrupt
    case JWRN_ARITH_BAD_CODE:     // the same for arithmetic coding
    case JWRN_MUST_RESYNC:        // a restart marker is missing or out of order: intervals are lost
    case JWRN_BOGUS_PROGRESSION:  // scans refine coefficients never sent: the picture is not what was coded
        return true;
    // An unknown JFIF version or Adobe transform code, and scan parameters a sequential file
    // ignores: all picture data is still decoded as stored. Skipped bytes are judged by where
    // they lie (below).
    default:
        return false;
    }
}

// Bytes skipped before a marker are harmless between segments, where some writers pad. Skipped
// right before the marker that ends a scan or a restart interval, they are coded data the decoder
// had no use for once it had filled every block: the data lost step with the blocks, as after a
// zeroed or changed stretch. The bit reader's look-ahead hides a shortfall of a few bytes, so
// this sees larger slips only.
// `from` is at most two bytes before the marker's FF (libjpeg's input position when it warns),
// `marker` its code.
bool SkippedBytesEndScanData(const JpegLayout& layout, std::span<const std::uint8_t> bytes, std::size_t from,
                             int marker)
{
    if (marker >= 0xD0 && marker <= 0xD7)
        return true;  // restart markers only occur inside scans
    // The marker's last FF: the first FF that is followed by neither a fill FF nor a stuffed zero.
    for (std::size_t i = from; i + 1 < bytes.size(); ++i)
        if (bytes[i] == 0xFF && bytes[i + 1] != 0xFF && bytes[i + 1] != 0x00)
            return bytes[i + 1] == marker && std::ranges::binary_search(layout.scanDataEnds, i);
    return false;
}

DecodeFailure FailureOfError(int error)
{
    switch (error) {
    case JERR_NO_BACKING_STORE:  // the coefficient buffers exceed max_memory_to_use
    case JERR_OUT_OF_MEMORY:
        return DecodeFailure::TooMuchMemory;
    case JERR_IMAGE_TOO_BIG:
    case JERR_WIDTH_OVERFLOW:
        return DecodeFailure::TooManyPixels;
    case JERR_BAD_PRECISION:       // 12- or 16-bit samples
    case JERR_SOF_UNSUPPORTED:     // lossless or hierarchical
    case JERR_CONVERSION_NOTIMPL:  // a component count with no colour conversion (two, say)
    case JERR_NOT_COMPILED:
    case JERR_ARITH_NOTIMPL:
        return DecodeFailure::Unsupported;
    default:
        return DecodeFailure::Damaged;
    }
}

// The share of the picture's blocks that the current scan carries.
double ScanPasses(const jpeg_decompress_struct& cinfo)
{
    double all = 0;
    for (int c = 0; c < cinfo.num_components; ++c)
        all += double(cinfo.comp_info[c].width_in_blocks) * cinfo.comp_info[c].height_in_blocks;
    double scan = 0;
    for (int c = 0; c < cinfo.comps_in_scan; ++c)
        scan += double(cinfo.cur_comp_info[c]->width_in_blocks) * cinfo.cur_comp_info[c]->height_in_blocks;
    return all > 0 ? scan / all : 0;
}

// Everything libjpeg's callbacks reach, kept out of the frame that calls setjmp so that nothing
// there is left indeterminate by a longjmp.
struct Decoder {
    jpeg_decompress_struct cinfo{};
    jpeg_error_mgr errors{};
    jpeg_progress_mgr progress{};
    std::jmp_buf escape{};
    DecodeFailure failure = DecodeFailure::None;
    std::span<const std::uint8_t> bytes;  // the file up to its end-of-image marker
    const JpegLayout* layout = nullptr;     // the marker walk over the same bytes
    std::vector<JSAMPLE> cmykRows;  // the library's output before conversion, for four-component files
    int scansSeen = 0;
    double passes = 0;  // blocks visited by the scans so far, in pictures' worth
    Image image;

    Decoder()
    {
        cinfo.err = jpeg_std_error(&errors);
        errors.error_exit = &Decoder::OnError;
        errors.emit_message = &Decoder::OnMessage;
        errors.output_message = [](j_common_ptr) {};  // nothing goes to standard error
        cinfo.client_data = this;
        progress.progress_monitor = &Decoder::OnProgress;
    }
    ~Decoder() { jpeg_destroy_decompress(&cinfo); }
    Decoder(const Decoder&) = delete;
    Decoder& operator=(const Decoder&) = delete;

    static Decoder& Of(j_common_ptr common) { return *static_cast<Decoder*>(common->client_data); }

    [[noreturn]] void Fail(DecodeFailure why)
    {
        failure = why;
        std::longjmp(escape, 1);
    }

    static void OnError(j_common_ptr common) { Of(common).Fail(FailureOfError(common->err->msg_code)); }

    // Level -1 is a warning; higher levels are trace messages, of no interest here.
    static void OnMessage(j_common_ptr common, int level)
    {
        if (level >= 0)
            return;
        Decoder& decoder = Of(common);
        const int code = common->err->msg_code;
        if (LosesPictureData(code) || (code == JWRN_EXTRANEOUS_DATA && decoder.SkippedScanData()))
            decoder.Fail(DecodeFailure::Damaged);
    }

    // For the skipped-bytes warning: libjpeg's input position is then at the marker's first FF
    // or just past its code, depending on when the reader last saved it.
    bool SkippedScanData() const
    {
        const auto position = static_cast<std::size_t>(cinfo.src->next_input_byte - bytes.data());
        return SkippedBytesEndScanData(*layout, bytes, position < 2 ? 0 : position - 2, errors.msg_parm.i[1]);
    }

    // Called between scans and rows while the input is consumed, so each scan is counted as it
    // begins, before its data is decoded.
    static void OnProgress(j_common_ptr common)
    {
        Decoder& decoder = Of(common);
        const int scan = decoder.cinfo.input_scan_number;
        if (scan == decoder.scansSeen)
            return;
        decoder.scansSeen = scan;
        decoder.passes += ScanPasses(decoder.cinfo);
        if (scan > kMaxJpegScans || decoder.passes > kMaxScanPasses)
            decoder.Fail(DecodeFailure::TooManyScans);
    }

    DecodeFailure Run();
    void ReadRows();
};

// The image library's conversion of Adobe-style CMYK to BGR, reproduced so that a CMYK photo
// gives the same pixels whichever reader opened it.
void CmykRowToBgr(const JSAMPLE* cmyk, std::uint8_t* bgr, JDIMENSION width)
{
    for (JDIMENSION x = 0; x < width; ++x, cmyk += 4, bgr += 3) {
        const int k = cmyk[3];
        bgr[2] = static_cast<std::uint8_t>(k - (((255 - cmyk[0]) * k) >> 8));
        bgr[1] = static_cast<std::uint8_t>(k - (((255 - cmyk[1]) * k) >> 8));
        bgr[0] = static_cast<std::uint8_t>(k - (((255 - cmyk[2]) * k) >> 8));
    }
}

DecodeFailure Decoder::Run()
{
    // Every failure inside libjpeg, or from the callbacks above, lands here.
    if (setjmp(escape) != 0)
        return failure;

    jpeg_create_decompress(&cinfo);
    cinfo.mem->max_memory_to_use = static_cast<long>(kMaxDecoderMemory);
    cinfo.progress = &progress;
    jpeg_mem_src(&cinfo, bytes.data(), static_cast<unsigned long>(bytes.size()));
    jpeg_read_header(&cinfo, TRUE);

    if (std::int64_t{cinfo.image_width} * std::int64_t{cinfo.image_height} > kMaxPhotoPixels)
        return DecodeFailure::TooManyPixels;
    if (cinfo.image_width == 0 || cinfo.image_height == 0)
        return DecodeFailure::Damaged;

    // Four components are CMYK or YCCK, delivered as CMYK and converted below; anything else is
    // delivered as BGR (grey is spread over the three channels), as the image library asks for it.
    cinfo.out_color_space = cinfo.num_components == 4 ? JCS_CMYK : JCS_EXT_BGR;
    // A progressive or multi-scan file is read whole here: the scan and memory bounds act now,
    // before the picture is allocated.
    jpeg_start_decompress(&cinfo);

    ReadRows();

    // Reads on to the end-of-image marker, so that damage after the last row still counts.
    jpeg_finish_decompress(&cinfo);
    return DecodeFailure::None;
}

void Decoder::ReadRows()
{
    const JDIMENSION width = cinfo.output_width;
    image.create(static_cast<int>(cinfo.output_height), static_cast<int>(width), CV_8UC3);
    const bool cmyk = cinfo.out_color_space == JCS_CMYK;
    if (cmyk)
        cmykRows.resize(std::size_t{width} * 4u);
    while (cinfo.output_scanline < cinfo.output_height) {
        std::uint8_t* row = image.ptr(static_cast<int>(cinfo.output_scanline));
        JSAMPROW target = cmyk ? cmykRows.data() : row;
        if (jpeg_read_scanlines(&cinfo, &target, 1) != 1)
            Fail(DecodeFailure::Damaged);
        if (cmyk)
            CmykRowToBgr(cmykRows.data(), row, width);
    }
}

}  // namespace

DecodedJpeg DecodeJpegStrict(std::span<const std::uint8_t> bytes)
{
    // The marker walk refuses a file cut short before libjpeg would pad it out.
    const auto layout = InspectJpeg(bytes);
    if (!layout)
        return {{}, DecodeFailure::Unsupported};  // no JPEG frame to decode
    if (!layout->complete)
        return {{}, DecodeFailure::Truncated};

    try {
        Decoder decoder;
        decoder.bytes = bytes.first(layout->endOfImage);
        decoder.layout = &*layout;
        const DecodeFailure failure = decoder.Run();
        if (failure != DecodeFailure::None)
            return {{}, failure};
        return {decoder.image, DecodeFailure::None};
    } catch (const std::bad_alloc&) {
        return {{}, DecodeFailure::TooMuchMemory};
    } catch (const std::exception&) {  // the picture's allocation, refused by OpenCV
        return {{}, DecodeFailure::TooMuchMemory};
    }
}

Image DecodeJpeg(std::span<const std::uint8_t> bytes) { return DecodeJpegStrict(bytes).image; }

Image DecodeJpegFile(const std::filesystem::path& file)
{
    const auto bytes = ReadFileBytes(file, kMaxPhotoBytes);
    if (!bytes)
        return {};
    return DecodeJpeg(*bytes);
}

}  // namespace velmora
