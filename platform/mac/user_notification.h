// A modal alert with one OK button, made by CoreFoundation's user notifications:
// it needs no window of the host's and no Objective-C, and returns once the
// user has closed it.
#pragma once

// Both texts zero-terminated ASCII.
void showUserNotice(const char* header, const char* message);
