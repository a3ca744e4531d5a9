// What the probe does, read from the PROBE environment variable: words
// "key=value" separated by spaces, e.g. "mode=copy strip=8 margin=3 inpad=-1".
// A value may list alternatives for successive runs in one host process,
// "rate=1|2|4": run k (counted by Prepare calls) takes the k-th, the last one
// repeating.
//
// keys:
//   mode      copy (default), invert, continue, dump, write-past-row,
//             write-past-buffer, write-before-buffer, write-input, forever,
//             crash, hang, params, params-null, keys, handles, display,
//             fail, nothing, scribble (an unknown selector writes bufferSpace
//             and the data slot)
//   strip     output rows per strip (default 16)
//   margin    inRect = outRect grown by this on every side (default 0)
//   rate      inputRate as a number, e.g. 2 or 0 or 1.5 (default 1)
//   maskrate  maskRate likewise
//   inpad, outpad, maskpad   padding values to set (default: leave the host's)
//   planes    LO-HI for input and output (default all)
//   in, out, mask            rectangles T,L,B,R for mode dump
//   dump      file the probe appends what it saw to (text)
//   code      the result of mode fail
#pragma once

#include <string>

#include "sdk/host_types.h"

struct ProbeSettings {
    std::string mode = "copy";
    int32 strip = 16;
    int32 margin = 0;
    Fixed rate = kFixedOne;
    Fixed maskRate = kFixedOne;
    bool setInPad = false;
    int16 inPad = 0;
    bool setOutPad = false;
    int16 outPad = 0;
    bool setMaskPad = false;
    int16 maskPad = 0;
    bool setPlanes = false;
    int16 loPlane = 0;
    int16 hiPlane = 0;
    Rect in = {};
    Rect out = {};
    bool hasMask = false;
    Rect mask = {};
    std::string dumpPath;
    int32 code = 0;
};

// Reads PROBE for run `runIndex` (0 for the first); unknown keys are ignored.
ProbeSettings readProbeSettings(int runIndex);
