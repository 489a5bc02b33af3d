// Encoding the accepted photo for saving, by the extension of the name it is saved under.
#pragma once

#include <string_view>

#include "engine/file_bytes.h"
#include "velmora/check_types.h"

namespace velmora {

enum class EncodeFailure {
    None,
    UnsupportedExtension,  // no encoder for this extension
    Failed,                // the encoder refused the picture or ran out of memory
};

struct EncodedImage {
    Bytes bytes;
    EncodeFailure failure = EncodeFailure::None;
};

// The 8-bit BGR picture as the file format of the extension (lower case, with its dot) stores it:
// JPEG at the given quality (.jpg, .jpeg, .jpe, .jfif), PNG or BMP (.bmp, .dib). The bytes are those the image library writes for the
// same picture and extension, so saved photos do not change with the encoder.
EncodedImage EncodeImage(std::string_view lowerExtension, const Image& image, int jpegQuality);

}  // namespace velmora
