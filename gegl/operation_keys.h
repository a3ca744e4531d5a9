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
// Processed pixels, in the input's own colour space. Pictures of 8-bit components
// are filtered as their bytes, none converted; finer ones as perceptual floats.
// With alpha or without, as the input is.
constexpr char kByteFormatRgba[] = "R'G'B'A u8";
constexpr char kByteFormatRgb[] = "R'G'B' u8";
constexpr char kFloatFormatRgba[] = "R'G'B'A float";
constexpr char kFloatFormatRgb[] = "R'G'B' float";
