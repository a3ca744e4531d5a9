// The texts of the module's string table, one LUMIVEIL_STRING(id, text) each:
// resources/strings.rc makes them the Windows string table, and the Mac side
// (platform/mac/module_strings.cpp) a table of its own, so both carry the same.
// Define LUMIVEIL_STRING before including this file.

LUMIVEIL_STRING(IDS_ERROR_CAPTION, "Lumiveil Plugin filter")
LUMIVEIL_STRING(IDS_FILTER_NAME, "Lumiveil")
LUMIVEIL_STRING(IDS_NEEDS_HOST_2_5, "This plug-in requires Adobe Photoshop 2.5 or later functionality")
LUMIVEIL_STRING(IDS_INCOMPATIBLE_HOST, "This plug-in is incompatible with this version of the host program")
LUMIVEIL_STRING(IDS_NEEDS_HOST_2_5_2, "This plug-in requires Adobe Photoshop 2.5.2 or later functionality")
