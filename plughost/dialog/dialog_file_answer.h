// Answering the common file dialogs (GetOpenFileNameA, GetSaveFileNameA) that the
// module opens: the real system dialog, driven as a user would: the name typed into
// its file-name box, its OK button pressed, its overwrite prompt confirmed or declined.
#pragma once

#include <windows.h>

#include <string>

#include "plughost/dialog/dialog_steps.h"

enum class FileAnswerPhase {
    AwaitingDialog,  // no file dialog on screen yet
    Settling,        // the dialog is up; let it finish filling its lists
    Submitted,       // the name is given and OK pressed; waiting for the dialog to close
    Declining,       // "keep": the overwrite prompt was declined; waiting for it to close
    Cancelling,      // Cancel pressed; waiting for the dialog to close
};

enum class AnswerProgress { Going, Done, Failed };

struct FileAnswer {
    StepKind kind = StepKind::CancelFile;  // open-file, save-file or cancel-file
    std::string path;                      // the name to give, a Windows path
    bool keepExisting = false;             // decline the overwrite prompt
    FileAnswerPhase phase = FileAnswerPhase::AwaitingDialog;
    DWORD phaseSince = 0;  // GetTickCount when the phase began
    HWND fileDialog = nullptr;
    HWND answeredPrompt = nullptr;  // the overwrite prompt already confirmed
};

FileAnswer startFileAnswer(const ScriptStep& step, DWORD now);

// One look at the screen; called on every timer tick while the answer is going. Every
// phase is bounded by timeoutMs; Failed comes with a message.
AnswerProgress advanceFileAnswer(FileAnswer& answer, DWORD now, int timeoutMs,
                                 std::string& problem);
