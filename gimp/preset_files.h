// Load... and Save... of the module's 300-byte .prm parameter files, so that
// presets move between the module's hosts and GIMP unchanged. GIMP-free.
#pragma once

#include "gimp/effect_values.h"

enum class PresetLoad { loaded, unreadable, notAPreset };

// Takes the three settings of a parameter file, each limited to 0..100, as the
// module does; other outcomes leave values unchanged.
PresetLoad loadPresetFile(const char* path, EffectValues* values);
// Writes the file as the module's first Save... in a run writes it: header
// 'Lmvl' 'Prms' 3 'std ' 100 1685, show-dialog 1, the file's own name over the
// default name, the settings. False when the file cannot be written.
bool savePresetFile(const char* path, const EffectValues& values);
