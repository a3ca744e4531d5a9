#include "platform/file_dialogs.h"

// commdlg.h builds on windows.h, which must come first.
// clang-format off
#include <windows.h>
#include <commdlg.h>
// clang-format on

#include <cstring>

namespace {

// The size of the record as the common dialogs have always accepted it.
const DWORD kOpenFileNameSize = OPENFILENAME_SIZE_VERSION_400W;
constexpr DWORD kLoadFlags = OFN_FILEMUSTEXIST | OFN_HIDEREADONLY;                        // 0x1004
constexpr DWORD kSaveFlags = OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT;  // 0x806
// Filter lists: pairs of zero-terminated texts, the list ends with an empty one.
constexpr wchar_t kLoadFilter[] = L"Parameters (*.prm)\0*.prm\0Any (*.*)\0*.*\0";
constexpr wchar_t kSaveFilter[] = L"Parameters (*.prm)\0*.prm\0";
constexpr wchar_t kDefaultExtension[] = L"prm";

// The wide dialogs give every path Windows can hold; the ANSI ones spell a
// character that the code page lacks as '?', a file that cannot be opened.
void describeFileDialog(OPENFILENAMEW& dialog, wchar_t* fileName, int32 capacity,
                        const wchar_t* filter, DWORD flags) {
    std::memset(&dialog, 0, sizeof dialog);
    dialog.lStructSize = kOpenFileNameSize;
    dialog.lpstrFilter = filter;
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = fileName;
    dialog.nMaxFile = static_cast<DWORD>(capacity);
    dialog.Flags = flags;
    dialog.lpstrDefExt = kDefaultExtension;
}

// A dialog that returns false was cancelled (0) or failed: a path too long for
// the buffer, say, is a failure and never reads as a cancel.
int32 dialogFailure() { return static_cast<int32>(CommDlgExtendedError()); }

}  // namespace

int32 askForFileToLoad(PathUnit* path, int32 capacity, bool* chosen) {
    OPENFILENAMEW dialog;
    describeFileDialog(dialog, path, capacity, kLoadFilter, kLoadFlags);
    *chosen = GetOpenFileNameW(&dialog) != FALSE;
    return *chosen ? 0 : dialogFailure();
}

int32 askForFileToSave(PathUnit* path, int32 capacity, bool* chosen, int32* nameOffset) {
    OPENFILENAMEW dialog;
    describeFileDialog(dialog, path, capacity, kSaveFilter, kSaveFlags);
    *chosen = GetSaveFileNameW(&dialog) != FALSE;
    if (!*chosen) return dialogFailure();
    *nameOffset = dialog.nFileOffset < capacity ? dialog.nFileOffset : 0;
    return 0;
}
