// The error box on the Mac: a user notification (platform/mac/user_notification.h).

#include "platform/message_box.h"

#include "platform/mac/user_notification.h"

void showErrorBox(const char* text, const char* caption) { showUserNotice(caption, text); }
