// The steps of a dialog script as plain records, and the parser that reads them.
// Windows-free: the steps name controls by id and keys by name; dialog_actions.cpp
// turns them into window messages.
//
// Steps (ID is a control id, TEXT and PATH are one word or a "quoted text", in UTF-8):
//   type ID [TEXT]            focus the field, select all, type TEXT (empty: delete)
//   drag ID VALUE             drag a trackbar's thumb to VALUE
//   key ID KEY                a key on the control: right left up down pageup pagedown home end
//   click [ID]                click a button or a notifying static; no ID: the dialog itself
//   click-window              click the dialog's client area (its picture)
//   press enter|escape        the key to the dialog, as the dialog manager routes it
//   check ID 0|1              click a check box whose state differs
//   expect-field ID [TEXT]    expect-slider ID VALUE   expect-check ID 0|1
//   expect-focus ID           expect-selected ID       expect-default ID
//   expect-visible ID 0|1
//   expect-caption TEXT       the dialog's window text
//   expect-text TEXT          some child control of the dialog shows exactly TEXT
//                             (a message box's text)
//   expect-labels-fit         every visible text label's text fits its control on one
//                             line, in the label's own font (at any screen DPI)
//   notify ID CODE            WM_COMMAND MAKEWPARAM(ID, CODE) with the control's
//                             window, sent to the dialog (e.g. STN_DBLCLK 1 on a static)
//   shot FILE.png             capture the dialog as drawn on screen
//   open-file PATH            answer the next (or the open) common file dialog
//   save-file PATH [keep]     likewise; confirms an overwrite prompt, or declines with keep
//   cancel-file               cancel the next (or the open) common file dialog
//   wait MS                   pause before the next step
//   print-window  print-field ID  print-slider ID  gdi-count
#pragma once

#include <string>
#include <vector>

enum class StepKind {
    Type,
    Drag,
    Key,
    Click,
    ClickWindow,
    Press,
    Check,
    ExpectField,
    ExpectSlider,
    ExpectCheck,
    ExpectFocus,
    ExpectSelected,
    ExpectDefault,
    ExpectVisible,
    ExpectCaption,
    ExpectText,
    ExpectLabelsFit,
    Notify,
    Shot,
    OpenFile,
    SaveFile,
    CancelFile,
    Wait,
    PrintWindow,
    PrintField,
    PrintSlider,
    GdiCount,
};

// Keys a step can deliver; Enter and Escape go to the dialog (press), the others to a
// control (key).
enum class NamedKey { Right, Left, Up, Down, PageUp, PageDown, Home, End, Enter, Escape };

constexpr int kNoControl = -1;

struct ScriptStep {
    StepKind kind;
    int controlId = kNoControl;  // 0..65535, or kNoControl when the step names none
    int value = 0;  // VALUE, MS, CODE, or the 0|1 of check / expect-check / expect-visible
    NamedKey key = NamedKey::Enter;  // key and press only
    bool hasText = false;  // whether TEXT was given (type, expect-field, expect-caption...)
    std::string text;                // TEXT, FILE or PATH
    bool keepExisting = false;       // save-file ... keep: decline the overwrite prompt
    std::string source;              // the step as written, for messages
};

// Splits the text into steps at ';' and line ends outside quotes and parses each.
// False, with a message naming the step, on the first step that is not understood.
bool parseScriptSteps(const std::string& text, std::vector<ScriptStep>& steps, std::string& error);

// Steps that act on the dialog and so may open another one (a click that opens a
// file dialog): a file answer written before such a step waits for the dialog it opens.
bool isUserAction(StepKind kind);

// open-file, save-file, cancel-file.
bool isFileAnswer(StepKind kind);

// Steps that need no dialog on screen: wait, gdi-count and the file answers (which look
// for the file dialog themselves).
bool needsDialog(StepKind kind);

// A step as it appears in messages: step 3 "expect-field 201 100".
std::string describeStep(const std::vector<ScriptStep>& steps, size_t index);

// The tests run the host under Wine and name files by their Linux paths; Wine reaches
// the Linux root as drive Z:, so /tmp/a.prm becomes Z:\tmp\a.prm (backslashes, which the
// file dialogs need). Other paths are kept as they are.
std::string windowsPathOf(const std::string& path);
