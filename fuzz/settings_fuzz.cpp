// Any bytes as setting.ini: the reader must give settings, never crash or hang.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "velmora/settings.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const velmora::CheckSettings settings = velmora::ParseCheckSettings(std::string_view(reinterpret_cast<const char*>(data), size));
    (void)velmora::FindOutOfRangeKey(settings);
    return 0;
}
