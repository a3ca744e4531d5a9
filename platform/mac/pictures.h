// The module's two pictures as the Windows modules carry them (bitmaps 16000
// and 16001): the BMP files that tools/make_artwork.py draws, compiled in by
// tools/embed_pictures.py.
#pragma once

#include "sdk/host_types.h"

extern const unsigned char kAboutPictureBmp[];
extern const unsigned int kAboutPictureBmpSize;
extern const unsigned char kDialogBandBmp[];
extern const unsigned int kDialogBandBmpSize;

constexpr int32 kAboutPictureWidth = 425;
constexpr int32 kAboutPictureHeight = 250;
constexpr int32 kDialogBandWidth = 20;
constexpr int32 kDialogBandHeight = 800;
