// What a user does to a dialog, as window messages: typing, dragging a thumb, keys,
// clicks. Each returns false with a message when the user could not do it (no such
// control, a hidden or disabled control, a value out of the control's reach).
#pragma once

#include <windows.h>

#include <string>

#include "plughost/dialog/dialog_steps.h"

// Focuses the field, selects its whole text and types the text as WM_CHAR messages, so
// the field sends EN_CHANGE per character and refuses what does not fit; an empty text
// deletes the selection (one backspace).
bool typeIntoControl(HWND dialog, int id, const std::string& text, std::string& problem);

// Drags a trackbar's thumb to the position: focuses the trackbar, then for a few
// positions ending at the target sets the position and sends the parent TB_THUMBTRACK,
// then TB_THUMBPOSITION and TB_ENDTRACK, as a mouse drag does (WM_VSCROLL for a
// vertical trackbar).
bool dragThumb(HWND dialog, int id, int position, std::string& problem);

// Focuses the control and posts the key's WM_KEYDOWN and WM_KEYUP, so the dialog manager
// routes them as keyboard input.
bool pressKeyOnControl(HWND dialog, int id, NamedKey key, std::string& problem);

// Enter or Escape to the dialog: posted to the focused control (or the dialog), so the
// dialog manager turns it into the default button's command or IDCANCEL.
bool pressDialogKey(HWND dialog, NamedKey key, std::string& problem);

// A button: BM_CLICK, posted, so a modal loop that the click opens does not hold up the
// script. Any other control: a mouse click at its centre.
bool clickControl(HWND dialog, int id, std::string& problem);

// A mouse click at the centre of the dialog's client area, on whatever is there.
bool clickDialog(HWND dialog, std::string& problem);

// Clicks the check box when its state differs from the wanted one (0 or 1).
bool setCheckBox(HWND dialog, int id, int wanted, std::string& problem);

// notify ID CODE: WM_COMMAND with MAKEWPARAM(ID, CODE) and the control's window, sent to
// the dialog as the control itself would send it.
bool notifyDialog(HWND dialog, int id, int code, std::string& problem);
