// The file-dialog answer as a small state machine, advanced on the script's timer.
#include "plughost/dialog_file_answer.h"

#include "plughost/dialog_windows.h"
#include "plughost/host_paths.h"

namespace {

// Time the file dialog gets to list the folder before the name is typed.
constexpr DWORD kFileDialogSettleMs = 150;

const char kEditClass[] = "Edit";

void enterPhase(FileAnswer& answer, FileAnswerPhase phase, DWORD now) {
    answer.phase = phase;
    answer.phaseSince = now;
}

bool timedOut(const FileAnswer& answer, DWORD now, int timeoutMs) {
    return now - answer.phaseSince >= static_cast<DWORD>(timeoutMs);
}

bool isGone(HWND window) { return !IsWindow(window) || !IsWindowVisible(window); }

// The edit that takes the typed name, inside the combo box (or the combo box's own
// combo box) of the explorer-style dialog.
HWND findEditWithin(HWND window) {
    if (windowClass(window) == kEditClass) return window;
    for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        HWND edit = findEditWithin(child);
        if (edit) return edit;
    }
    return nullptr;
}

HWND findFileNameEdit(HWND fileDialog) {
    HWND box = findFileNameBox(fileDialog);
    return box ? findEditWithin(box) : nullptr;
}

void clickButton(HWND dialog, int id) {
    HWND button = GetDlgItem(dialog, id);
    if (button)
        PostMessageA(button, BM_CLICK, 0, 0);
    else
        PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0);
}

// The message of a message box: its longest static text.
std::string promptText(HWND prompt) {
    std::string longest;
    for (HWND child = GetWindow(prompt, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (windowClass(child) != "Static") continue;
        std::string text = windowText(child);
        if (text.size() > longest.size()) longest = text;
    }
    for (char& c : longest)
        if (c == '\r' || c == '\n') c = ' ';
    return longest;
}

AnswerProgress giveName(FileAnswer& answer, DWORD now, std::string& problem) {
    HWND edit = findFileNameEdit(answer.fileDialog);
    if (!edit) {
        problem = "the file dialog \"" + windowText(answer.fileDialog) + "\" has no file-name box";
        return AnswerProgress::Failed;
    }
    SetFocus(edit);
    SetWindowTextW(edit, wideText(answer.path).c_str());  // any folder the user may have
    clickButton(answer.fileDialog, IDOK);
    enterPhase(answer, FileAnswerPhase::Submitted, now);
    return AnswerProgress::Going;
}

// OK was pressed: the dialog closes, or asks whether to replace the file, or refuses the
// name with an error box.
AnswerProgress awaitClose(FileAnswer& answer, DWORD now, int timeoutMs, std::string& problem) {
    if (isGone(answer.fileDialog)) {
        if (answer.keepExisting) {
            problem = "no overwrite prompt appeared: the file dialog took " + answer.path;
            return AnswerProgress::Failed;
        }
        return AnswerProgress::Done;
    }
    HWND prompt = findOwnedDialog(answer.fileDialog);
    if (prompt && prompt != answer.answeredPrompt) {
        bool asksToReplace = GetDlgItem(prompt, IDYES) && GetDlgItem(prompt, IDNO);
        if (!asksToReplace || answer.kind != StepKind::SaveFile) {
            problem =
                "the file dialog did not take " + answer.path + ": \"" + promptText(prompt) + "\"";
            return AnswerProgress::Failed;
        }
        if (answer.keepExisting) {
            clickButton(prompt, IDNO);
            answer.answeredPrompt = prompt;
            enterPhase(answer, FileAnswerPhase::Declining, now);
            return AnswerProgress::Going;
        }
        clickButton(prompt, IDYES);
        answer.answeredPrompt = prompt;
        return AnswerProgress::Going;
    }
    if (timedOut(answer, now, timeoutMs)) {
        problem = "the file dialog did not close within " + std::to_string(timeoutMs) +
                  " ms after " + answer.path + " was given";
        return AnswerProgress::Failed;
    }
    return AnswerProgress::Going;
}

}  // namespace

FileAnswer startFileAnswer(const ScriptStep& step, DWORD now) {
    FileAnswer answer;
    answer.kind = step.kind;
    answer.path = step.text;
    answer.keepExisting = step.keepExisting;
    enterPhase(answer, FileAnswerPhase::AwaitingDialog, now);
    return answer;
}

AnswerProgress advanceFileAnswer(FileAnswer& answer, DWORD now, int timeoutMs,
                                 std::string& problem) {
    switch (answer.phase) {
        case FileAnswerPhase::AwaitingDialog:
            answer.fileDialog = findFileDialog();
            if (answer.fileDialog) {
                enterPhase(answer, FileAnswerPhase::Settling, now);
            } else if (timedOut(answer, now, timeoutMs)) {
                problem = "no file dialog appeared within " + std::to_string(timeoutMs) + " ms";
                return AnswerProgress::Failed;
            }
            return AnswerProgress::Going;
        case FileAnswerPhase::Settling:
            if (isGone(answer.fileDialog)) {
                problem = "the file dialog closed before it was answered";
                return AnswerProgress::Failed;
            }
            if (now - answer.phaseSince < kFileDialogSettleMs) return AnswerProgress::Going;
            if (answer.kind == StepKind::CancelFile) {
                clickButton(answer.fileDialog, IDCANCEL);
                enterPhase(answer, FileAnswerPhase::Cancelling, now);
                return AnswerProgress::Going;
            }
            return giveName(answer, now, problem);
        case FileAnswerPhase::Submitted:
            return awaitClose(answer, now, timeoutMs, problem);
        case FileAnswerPhase::Declining:
        case FileAnswerPhase::Cancelling: {
            HWND closing = answer.phase == FileAnswerPhase::Declining ? answer.answeredPrompt
                                                                      : answer.fileDialog;
            if (isGone(closing)) return AnswerProgress::Done;
            if (timedOut(answer, now, timeoutMs)) {
                problem =
                    "the file dialog did not close within " + std::to_string(timeoutMs) + " ms";
                return AnswerProgress::Failed;
            }
            return AnswerProgress::Going;
        }
    }
    return AnswerProgress::Going;
}
