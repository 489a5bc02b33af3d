#include <algorithm>
#include <cctype>
#include <fstream>
#include <random>
#include <string>
#include <system_error>
#include <vector>

#include <opencv2/imgcodecs.hpp>

#include "engine/file_tests.h"
#include "engine/photo_check.h"

#ifndef _WIN32
#include <fcntl.h>
#include <unistd.h>
#endif

namespace {

constexpr int kExportJpegQuality = 30;

ExportResult Failure(std::string reason) { return {false, std::move(reason)}; }

std::string LowerExtension(const std::filesystem::path& target)
{
    const std::u8string text = target.extension().u8string();
    std::string ext(text.begin(), text.end());
    std::ranges::transform(ext, ext.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return ext;
}

// The encoder the library picks for the extension; .jfif is a JPEG the library does not name.
std::string EncoderExtension(const std::string& ext) { return ext == ".jfif" ? ".jpg" : ext; }

// A sibling of the target, so that the final rename stays on one file system.
std::filesystem::path TemporarySibling(const std::filesystem::path& target)
{
    std::random_device random;
    std::filesystem::path name = target.filename();
    name += ".velmora-" + std::to_string(random()) + ".tmp";
    return target.parent_path() / name;
}

// Data written but not on disk is lost in a power failure; the rename must not outrun it.
bool SyncToDisk([[maybe_unused]] const std::filesystem::path& file)
{
#ifdef _WIN32
    return true;  // MoveFileEx with write-through is what the rename relies on there
#else
    const int fd = ::open(file.c_str(), O_RDONLY);
    if (fd < 0)
        return false;
    const bool synced = ::fsync(fd) == 0;
    ::close(fd);
    return synced;
#endif
}

bool WriteNewFile(const std::filesystem::path& file, const std::vector<uchar>& bytes)
{
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    out.close();
    return !out.fail();
}

}  // namespace

ExportResult ExportAcceptedPhoto(const std::filesystem::path& target, const CheckVerdict& verdict)
{
    if (g_resultImage.empty())
        return Failure("没有可保存的照片");

    const std::string ext = LowerExtension(target);
    std::vector<uchar> encoded;
    try {
        if (ext.empty() || !cv::imencode(EncoderExtension(ext), g_resultImage, encoded,
                                         {cv::IMWRITE_JPEG_QUALITY, kExportJpegQuality}))
            return Failure("不支持的文件类型“" + ext + "”");
    } catch (const cv::Exception&) {
        return Failure("不支持的文件类型“" + ext + "”");
    }

    // Write beside the target and rename over it at the end: a failed save leaves the
    // file that was there untouched, and never a half-written photo.
    const std::filesystem::path temporary = TemporarySibling(target);
    std::error_code error;
    const bool written = WriteNewFile(temporary, encoded) &&
                         (verdict.stamped || AppendCheckStamp(temporary)) && SyncToDisk(temporary);
    if (written)
        std::filesystem::rename(temporary, target, error);
    if (!written || error) {
        std::filesystem::remove(temporary, error);
        return Failure(written ? "无法替换目标文件" : "无法写入目标文件夹（文件夹不存在、无写权限或磁盘已满）");
    }
    return {true, {}};
}
