#include "ui/file_dialogs.h"

// commdlg.h builds on windows.h, which must come first.
// clang-format off
#include <windows.h>
#include <commdlg.h>
// clang-format on

#include <cstring>

#include "params/parameter_files.h"

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
void describeFileDialog(OPENFILENAMEW& dialog, wchar_t* fileName, const wchar_t* filter,
                        DWORD flags) {
    std::memset(&dialog, 0, sizeof dialog);
    dialog.lStructSize = kOpenFileNameSize;
    dialog.lpstrFilter = filter;
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = fileName;
    dialog.nMaxFile = kFileNameCapacity;
    dialog.Flags = flags;
    dialog.lpstrDefExt = kDefaultExtension;
}

// A dialog that returns false was cancelled (0) or failed: a path too long for
// the buffer, say, is a failure and never reads as a cancel.
int32 dialogFailure() { return static_cast<int32>(CommDlgExtendedError()); }

}  // namespace

int32 loadParameterFile() {
    wchar_t fileName[kFileNameCapacity] = L"";
    OPENFILENAMEW dialog;
    describeFileDialog(dialog, fileName, kLoadFilter, kLoadFlags);
    if (!GetOpenFileNameW(&dialog)) return dialogFailure();
    return loadParameterFileAt(fileName);
}

int32 saveParameterFile() {
    wchar_t fileName[kFileNameCapacity] = L"";
    OPENFILENAMEW dialog;
    describeFileDialog(dialog, fileName, kSaveFilter, kSaveFlags);
    if (!GetSaveFileNameW(&dialog)) return dialogFailure();
    const DWORD nameOffset = dialog.nFileOffset < kFileNameCapacity ? dialog.nFileOffset : 0;
    return saveParameterFileAt(fileName, fileName + nameOffset);
}
