// How the operation names itself to GEGL and to GIMP.
#pragma once

// vendor:name, as the gegl command and GIMP's scripts call it.
constexpr char kOperationName[] = "quietharbor:lumiveil";
constexpr char kOperationTitle[] = "Lumiveil";
constexpr char kOperationCategories[] = "light";
constexpr char kOperationDescription[] =
    "Blends each pixel toward the mean of a box around it, then lifts the blacks";
// GIMP 3 makes the operation a filter at Filters > Light and Shadow > Lumiveil...
constexpr char kGimpMenuPath[] = "<Image>/Filters/Light and Shadow";
constexpr char kGimpMenuLabel[] = "Lumiveil...";
// Processed pixels; with the input's colour space, no byte is converted.
constexpr char kPixelFormatName[] = "R'G'B'A u8";
