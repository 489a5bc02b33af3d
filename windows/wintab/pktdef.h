/* See wintab.h beside this file. */
#include "/usr/include/wine/wine/windows/pktdef.h"
