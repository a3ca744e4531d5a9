// The keyboard's modifier state at the moment of the call.
#pragma once

// True while the Alt key (Option on the Mac) is down.
bool altKeyDown();
