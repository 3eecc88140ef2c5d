// Message boxes and modal dialogs: each runs its own loop, which dispatches timer ticks,
// until a scripted user action closes the box or the dialog's procedure calls EndDialog.
// Dialogs are built from the program's templates 20, 21 and 107, with their controls and
// the combo box's list. The operations are SimDesktop's, in sim_dialogs.cpp.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/platform.h"

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
};
