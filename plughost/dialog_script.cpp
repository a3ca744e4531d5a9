// Runs a dialog script on the host thread: a thread timer, whose callback the
// dialog manager's modal loops dispatch like any other message, looks at the screen on
// every tick and carries out the next step when its time has come.
#include "plughost/dialog_script.h"

#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "plughost/dialog_actions.h"
#include "plughost/dialog_capture.h"
#include "plughost/dialog_checks.h"
#include "plughost/dialog_file_answer.h"
#include "plughost/dialog_steps.h"
#include "plughost/dialog_windows.h"

namespace {

// How often the script looks at the screen. WM_TIMER comes only when the thread's queue
// holds no input, posted message or paint, so a tick also means the dialog is idle.
constexpr UINT kTickMs = 10;

// Pause after each step, so that its notifications and paints are processed as for a
// user, and after a dialog first shows, so that it has drawn itself.
constexpr DWORD kStepPauseMs = 40;
constexpr DWORD kNewDialogPauseMs = 100;

// The host's watchdog time when the caller gives none.
constexpr int kDefaultTimeoutMs = 10000;

// The script's own waits give up at this share of the host's watchdog time, so a
// failure is noticed, the dialogs are cancelled and the selector returns before the
// watchdog ends the run.
constexpr int kWaitShareDivisor = 2;

}  // namespace

struct DialogScript {
    std::vector<ScriptStep> steps;
    size_t nextStep = 0;
    int timeoutMs = 0;  // bound of every wait of the script
    UINT_PTR timer = 0;
    bool inTick = false;  // a step sends messages; a nested tick must not start another

    DWORD armedAt = 0;
    DWORD notBefore = 0;  // GetTickCount before which the next step waits
    bool waitingForDialog = false;
    DWORD waitingSince = 0;  // when the next step began to wait for a dialog
    HWND lastDialog = nullptr;
    bool sawDialog = false;

    bool answering = false;  // a file answer is going
    FileAnswer answer;
    size_t answerStep = 0;
    size_t holdFrom = 0;  // steps from this index wait until the answer is done

    bool failed = false;
    std::string failure;
    std::vector<HWND> cancelled;  // dialogs already told to cancel after the failure
};

namespace {

// The one armed script; the timer callback carries no data of its own.
DialogScript* armedScript = nullptr;

bool reached(DWORD now, DWORD moment) { return static_cast<LONG>(now - moment) >= 0; }

void copyMessage(const std::string& message, char* error, int errorSize) {
    if (error && errorSize > 0) std::snprintf(error, size_t(errorSize), "%s", message.c_str());
}

void fail(DialogScript& script, const std::string& message) {
    script.failed = true;
    script.failure = message;
    script.answering = false;
}

// After a failure nothing more of the script runs; the dialogs still open are cancelled,
// topmost first, one per pause, so the selector returns and the failure is reported.
void cancelOpenDialogs(DialogScript& script, DWORD now) {
    if (!reached(now, script.notBefore)) return;
    HWND dialog = findOpenDialogExcept(script.cancelled);
    if (!dialog) return;
    script.cancelled.push_back(dialog);
    HWND cancel = GetDlgItem(dialog, IDCANCEL);
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                 reinterpret_cast<LPARAM>(cancel));
    script.notBefore = now + kStepPauseMs;
}

bool performStep(HWND dialog, const ScriptStep& step, std::string& problem) {
    switch (step.kind) {
        case StepKind::Type:
            return typeIntoControl(dialog, step.controlId, step.text, problem);
        case StepKind::Drag:
            return dragThumb(dialog, step.controlId, step.value, problem);
        case StepKind::Key:
            return pressKeyOnControl(dialog, step.controlId, step.key, problem);
        case StepKind::Press:
            return pressDialogKey(dialog, step.key, problem);
        case StepKind::Click:
            if (step.controlId == kNoControl) return clickDialog(dialog, problem);
            return clickControl(dialog, step.controlId, problem);
        case StepKind::ClickWindow:
            return clickDialog(dialog, problem);
        case StepKind::Check:
            return setCheckBox(dialog, step.controlId, step.value, problem);
        case StepKind::ExpectField:
        case StepKind::ExpectSlider:
        case StepKind::ExpectCheck:
        case StepKind::ExpectFocus:
        case StepKind::ExpectSelected:
        case StepKind::ExpectDefault:
        case StepKind::ExpectVisible:
        case StepKind::ExpectCaption:
        case StepKind::ExpectText:
        case StepKind::ExpectLabelsFit:
            return checkExpectation(dialog, step, problem);
        case StepKind::Notify:
            return notifyDialog(dialog, step.controlId, step.value, problem);
        case StepKind::PrintWindow:
        case StepKind::PrintField:
        case StepKind::PrintSlider:
            return printDialogState(dialog, step, problem);
        case StepKind::Shot:
            return captureWindowToPng(dialog, step.text, problem);
        case StepKind::GdiCount:
            printGdiCount();
            return true;
        case StepKind::Wait:
        case StepKind::OpenFile:
        case StepKind::SaveFile:
        case StepKind::CancelFile:
            break;  // scheduled by runNextStep, never performed on a dialog
    }
    return true;
}

void advanceAnswer(DialogScript& script, DWORD now) {
    std::string problem;
    switch (advanceFileAnswer(script.answer, now, script.timeoutMs, problem)) {
        case AnswerProgress::Going:
            break;
        case AnswerProgress::Done:
            script.answering = false;
            script.notBefore = now + kStepPauseMs;
            break;
        case AnswerProgress::Failed:
            fail(script, describeStep(script.steps, script.answerStep) + ": " + problem);
            break;
    }
}

// A file answer written right before a user action ("open-file a.prm; click 3") answers
// the dialog that action opens: the action runs while the answer waits, and the steps
// after it wait for the answer. Otherwise ("click 3; open-file a.prm") the answer is for
// the dialog just opened, and every later step waits for it.
void startAnswer(DialogScript& script, size_t index, DWORD now) {
    bool beforeAction = index + 1 < script.steps.size() &&
                        isUserAction(script.steps[index + 1].kind) && !findFileDialog();
    script.answer = startFileAnswer(script.steps[index], now);
    script.answerStep = index;
    script.holdFrom = beforeAction ? index + 2 : index + 1;
    script.answering = true;
}

void runNextStep(DialogScript& script, DWORD now) {
    const size_t index = script.nextStep;
    const ScriptStep& step = script.steps[index];
    HWND dialog = nullptr;
    if (needsDialog(step.kind)) {
        dialog = findScriptDialog();
        if (!dialog) {
            if (!script.waitingForDialog) {
                script.waitingForDialog = true;
                script.waitingSince = now;
            } else if (now - script.waitingSince >= static_cast<DWORD>(script.timeoutMs)) {
                fail(script, describeStep(script.steps, index) + ": no dialog appeared within " +
                                 std::to_string(script.timeoutMs) + " ms");
            }
            return;
        }
        if (dialog != script.lastDialog) {
            script.lastDialog = dialog;
            script.sawDialog = true;
            script.notBefore = now + kNewDialogPauseMs;
            return;
        }
    }
    script.waitingForDialog = false;
    ++script.nextStep;
    if (isFileAnswer(step.kind)) {
        startAnswer(script, index, now);
        return;
    }
    if (step.kind == StepKind::Wait) {
        script.notBefore = now + static_cast<DWORD>(step.value);
        return;
    }
    std::string problem;
    if (!performStep(dialog, step, problem)) {
        fail(script, describeStep(script.steps, index) + ": " + problem);
        return;
    }
    script.notBefore = GetTickCount() + kStepPauseMs;
}

void runTick(DialogScript& script) {
    DWORD now = GetTickCount();
    if (script.failed) {
        cancelOpenDialogs(script, now);
        return;
    }
    if (script.answering) advanceAnswer(script, now);
    if (script.failed || script.nextStep >= script.steps.size()) return;
    if (script.answering && script.nextStep >= script.holdFrom) return;
    if (!reached(now, script.notBefore)) return;
    runNextStep(script, now);
}

void CALLBACK onScriptTimer(HWND, UINT, UINT_PTR, DWORD) {
    DialogScript* script = armedScript;
    if (!script || script->inTick) return;
    script->inTick = true;
    runTick(*script);
    script->inTick = false;
}

std::string unfinishedMessage(const DialogScript& script, DWORD now) {
    if (script.answering) {
        std::string what = script.answer.phase == FileAnswerPhase::AwaitingDialog
                               ? "no file dialog appeared before the selector returned"
                               : "the file dialog was still being answered when the selector "
                                 "returned";
        return describeStep(script.steps, script.answerStep) + ": " + what;
    }
    size_t left = script.steps.size() - script.nextStep;
    std::string notRun = std::to_string(left) + (left == 1 ? " step" : " steps") +
                         " not run, from " + describeStep(script.steps, script.nextStep);
    if (!script.sawDialog)
        return "no dialog appeared before the selector returned (after " +
               std::to_string(now - script.armedAt) + " ms); " + notRun;
    return "the selector returned with " + notRun;
}

}  // namespace

DialogScript* parseDialogScript(const char* text, char* error, int errorSize) {
    DialogScript* script = new DialogScript;
    std::string message;
    if (!parseScriptSteps(text ? text : "", script->steps, message)) {
        copyMessage(message, error, errorSize);
        delete script;
        return nullptr;
    }
    return script;
}

void armDialogScript(DialogScript* script, int timeoutMs) {
    if (!script) return;
    if (armedScript && armedScript != script) disarmDialogScript(armedScript, nullptr, 0);
    DWORD now = GetTickCount();
    script->timeoutMs = (timeoutMs > 0 ? timeoutMs : kDefaultTimeoutMs) / kWaitShareDivisor;
    script->armedAt = now;
    script->notBefore = now;
    script->waitingForDialog = false;
    script->lastDialog = nullptr;
    script->inTick = false;
    armedScript = script;
    if (!script->timer) script->timer = SetTimer(nullptr, 0, kTickMs, onScriptTimer);
}

bool disarmDialogScript(DialogScript* script, char* error, int errorSize) {
    if (!script) return true;
    if (script->timer) KillTimer(nullptr, script->timer);
    script->timer = 0;
    if (armedScript == script) armedScript = nullptr;

    std::string message;
    if (script->failed)
        message = script->failure;
    else if (script->answering || script->nextStep < script->steps.size())
        message = unfinishedMessage(*script, GetTickCount());
    if (message.empty()) return true;
    copyMessage(message, error, errorSize);
    return false;
}

void freeDialogScript(DialogScript* script) {
    if (armedScript == script) disarmDialogScript(script, nullptr, 0);
    delete script;
}
