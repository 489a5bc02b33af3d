// File sizes as people read them: KB and MB of 1024, the units the settings' limits are in.
#pragma once

#include <cstdint>

#include <QString>

// A limit given in KiB, exactly: "4 KB", "10 MB" when a whole number of MiB, else "1500 KB".
QString KibibyteLimitText(long long kib);

// A limit given in bytes, exactly: as above when a whole number of KiB, else "4095 字节".
QString ByteLimitText(std::uintmax_t bytes);

// A measured size to one decimal: "512 字节", "3.2 KB", "10.5 MB".
QString FileSizeText(std::uintmax_t bytes);
