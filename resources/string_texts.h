// The texts of the module's string table as one list, LUMIVEIL_STRING_TABLE(ENTRY)
// giving ENTRY(id, text) for each: resources/strings.rc makes it the Windows string
// table, and the Mac side (platform/mac/module_strings.cpp) a table of its own, so
// both carry the same texts.
#pragma once

#include "resources/resource_ids.h"

#define LUMIVEIL_STRING_TABLE(ENTRY)                                                              \
    ENTRY(IDS_ERROR_CAPTION, "Lumiveil Plugin filter")                                            \
    ENTRY(IDS_FILTER_NAME, "Lumiveil")                                                            \
    ENTRY(IDS_NEEDS_HOST_2_5, "This plug-in requires Adobe Photoshop 2.5 or later functionality") \
    ENTRY(IDS_INCOMPATIBLE_HOST,                                                                  \
          "This plug-in is incompatible with this version of the host program")                   \
    ENTRY(IDS_NEEDS_HOST_2_5_2,                                                                   \
          "This plug-in requires Adobe Photoshop 2.5.2 or later functionality")
