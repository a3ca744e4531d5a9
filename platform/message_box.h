// The one message box the module ever shows: an error with an OK button.
#pragma once

// Modal, owned by no window; returns when the user has closed it.
void showErrorBox(const char* text, const char* caption);
