// File sizes as people read them: KB and MB of 1024, the units the settings' limits are in.
#pragma once

#include <QString>

// A limit given in KiB, exactly: "4 KB", "10 MB" when a whole number of MiB, else "1500 KB".
QString KibibyteLimitText(long long kib);
