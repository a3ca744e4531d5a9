// The About box: the About picture over the host's window, closed by a click or a key.
#pragma once

#include "sdk/filter_record.h"

void showAboutBox(const AboutRecord* record);
