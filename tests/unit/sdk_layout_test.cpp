// The host records as a 64-bit Mac host lays them out: this build has the Mac's
// natural alignment and 8-byte pointers, so the Mac column of the layout checks
// is compiled here; a slip fails the build.
#include "sdk/layout_checks.h"
