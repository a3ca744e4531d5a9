// A filtering pass driven through the engine's interface the way the module drives
// it: prepare, then strips of 32 rows, each with setInputRect and processStrip.
// The "host" hands out input straight from an image padded by edge replication,
// so that the time is the engine's alone.
#pragma once

#include <vector>

#include "bench/bench_images.h"
#include "sdk/filter_record.h"
#include "strips/module_effect.h"

struct BenchSettings {
    int32 radiation;
    int32 amount;
    int32 mist;
};

struct PassRig {
    FilterRecord record;
    BenchImage padded;  // the image with the kernel's margins around it
    std::vector<uint8> output;
    std::vector<uint8> workBuffer;
    int32 margin;
};

// Sets up a pass over the whole image at sampling rate `rate` (1 for the pass,
// the reduction factor for a preview).
void setUpPass(PassRig& rig, const BenchImage& image, BenchSettings settings, int32 rate);
// prepareEffect, then every strip of `stripHeight` rows top to bottom.
void runPass(PassRig& rig, int32 stripHeight);
// Releases the engine's hold on the rig's work buffer.
void tearDownPass(PassRig& rig);
