// The About box: the About picture over the host's window (the one the
// record's platformData names, where the platform has one), closed by a click or a key.
#pragma once

#include "sdk/filter_record.h"

void showAboutBox(const AboutRecord* record);
