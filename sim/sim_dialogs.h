// Message boxes and modal dialogs: each runs its own loop, which dispatches posted messages
// and timer ticks, until a scripted user action closes the box or the dialog's procedure
// calls EndDialog, or until the loop takes the quit message. The user's clicks and keys
// wait in the thread's queue for a loop; a dialog's loop turns Tab, Enter and Escape into
// focus moves and commands.
// Dialogs are built from the program's templates 20, 21 and 107, with their controls and
// the combo box's list. The operations are SimDesktop's, in sim_dialogs.cpp.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/platform.h"

constexpr std::uint8_t kVkTab = 0x09;  // the keys a user types in a dialog: Tab, Enter, Escape

struct SimMessageBox {
    std::string text;
    std::string caption;
    std::uint32_t type;
    bool closed = false;
};

struct SimDialogRecord {
    int templateId = 0;
    Hwnd window = 0;
    Hwnd owner = 0;
    bool ended = false;
    std::intptr_t result = 0;
    std::vector<Hwnd> controls;     // child windows, one per control of the template
    std::vector<std::string> list;  // the entries of its combo box, if it has one
    int selection = -1;             // the combo box's selected entry, or -1
    Hwnd focus = 0;                 // the control that has the keyboard focus, or 0
};

struct SimDialogs {
    bool autoCloseMessageBoxes = true;        // unit tests; remote-sim closes them by script
    std::vector<SimMessageBox> messageBoxes;  // every box ever shown, in order
    int OpenMessageBoxCount() const;

    std::vector<SimDialogRecord> opened;    // every dialog ever opened, in order
    bool failDialogCreation = false;        // DialogBoxParamA makes no dialog ...
    std::intptr_t failedDialogResult = -1;  // ... and answers this (-1, or 0 as for a bad owner)
    SimDialogRecord* DialogOf(Hwnd window);
    const SimDialogRecord* DialogOf(Hwnd window) const;
    // The modal loops running, innermost last: a dialog's window, or 0 for a message box.
    std::vector<Hwnd> loops;
};
