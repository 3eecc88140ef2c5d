// The simulated TV card driver's private interface: device names, the control requests
// that the test controller sends, and their records. Shared by the kernel driver (C) and
// the user-mode programs; include <ntddk.h> or <windows.h> first.
#pragma once

#include "sim/card/card_decoder.h"

// The control device, and one device per simulated card ("\\.\RcSimCard0" ... from user mode).
#define SIMCARD_CONTROL_DEVICE L"\\Device\\RcSimCardCtl"
#define SIMCARD_CONTROL_LINK L"\\DosDevices\\RcSimCardCtl"
#define SIMCARD_CONTROL_PATH L"\\\\.\\RcSimCardCtl"
#define SIMCARD_DEVICE_PREFIX L"\\Device\\RcSimCard"
#define SIMCARD_LINK_PREFIX L"\\DosDevices\\RcSimCard"
#define SIMCARD_PATH_PREFIX L"\\\\.\\RcSimCard"
#define SIMCARD_SERVICE_NAME L"RcSimCard"

#define SIMCARD_MAX_CARDS 8
#define SIMCARD_MAX_STEPS 64
#define SIMCARD_MAX_FAULTS 8
#define SIMCARD_REQUEST_BYTES CARD_I2C_SIZE  // the longest request

#define SIMCARD_CTL(n) CTL_CODE(FILE_DEVICE_UNKNOWN, 0x900 + (n), METHOD_BUFFERED, FILE_ANY_ACCESS)
#define IOCTL_SIMCARD_ADD SIMCARD_CTL(1)         // in: SIMCARD_ADD
#define IOCTL_SIMCARD_REMOVE SIMCARD_CTL(2)      // in: SIMCARD_CARD
#define IOCTL_SIMCARD_SCRIPT SIMCARD_CTL(3)      // in: SIMCARD_SCRIPT
#define IOCTL_SIMCARD_FAIL SIMCARD_CTL(4)        // in: SIMCARD_FAULT
#define IOCTL_SIMCARD_COMPLETION SIMCARD_CTL(5)  // in: SIMCARD_COMPLETION_MODE
#define IOCTL_SIMCARD_COUNTERS SIMCARD_CTL(6)    // in: SIMCARD_CARD; out: SIMCARD_COUNTERS
#define IOCTL_SIMCARD_RESET SIMCARD_CTL(7)       // in: SIMCARD_CARD; clears counters and faults
// The card goes away: every request on a handle of it fails with STATUS_DEVICE_NOT_CONNECTED
// and it cannot be opened. It comes back as a new device: the handles opened before stay
// dead. (The controller removes and writes its device entry besides.)
#define IOCTL_SIMCARD_UNPLUG SIMCARD_CTL(8)  // in: SIMCARD_CARD
#define IOCTL_SIMCARD_PLUG SIMCARD_CTL(9)    // in: SIMCARD_CARD

typedef struct SIMCARD_CARD {
    unsigned int card;
} SIMCARD_CARD;

typedef struct SIMCARD_ADD {
    unsigned int card;
    unsigned int kind;     // CARD_KIND_GPIO or CARD_KIND_I2C
    unsigned int keyLine;  // GPIO line that goes low while a key is down
} SIMCARD_ADD;

// What the remote does, poll by poll. A poll is one selection of the key line's register,
// which the utility makes once per key-poll tick; counting polls rather than time makes a
// press give the same key events however late the ticks come.
typedef struct SIMCARD_STEP {
    int rawCode;         // the code sent while the key is down; -1: no key down
    unsigned int polls;  // how many polls the step lasts; 0: for ever
} SIMCARD_STEP;

typedef struct SIMCARD_SCRIPT {
    unsigned int card;
    unsigned int count;  // replaces whatever is still to come
    SIMCARD_STEP steps[SIMCARD_MAX_STEPS];
} SIMCARD_SCRIPT;

typedef struct SIMCARD_FAULT {
    unsigned int card;
    unsigned int command;  // the command code at offset 24
    unsigned int flags;    // 0: set and get alike; otherwise only requests with these flags
    unsigned int status;   // the NTSTATUS the request ends with
    int times;             // how many requests fail; -1: every one
    unsigned int pending;  // 1: reported pending first, failing when completed
} SIMCARD_FAULT;

typedef struct SIMCARD_COMPLETION_MODE {
    unsigned int card;
    unsigned int pending;  // 1: every request is pended and completed by the worker thread;
                           // SIMCARD_HANG: pended and never completed unless cancelled
    unsigned int delayMs;  // how long the worker holds a pended request
} SIMCARD_COMPLETION_MODE;
#define SIMCARD_HANG 2u

typedef struct SIMCARD_COUNTERS {
    unsigned int requests;   // property requests received
    unsigned int polls;      // selections of the key line's register
    unsigned int failed;     // requests ended with an error status
    unsigned int pended;     // requests reported pending
    unsigned int stepsLeft;  // script steps not yet finished (a step held for ever counts)
    unsigned int byCommand[CARD_COMMAND_COUNT][2];  // [command in cardCommands][0: set, 1: get]
    unsigned int lastSize;
    unsigned char last[SIMCARD_REQUEST_BYTES];  // the last request as received
    unsigned int refused;    // requests on a handle of the card while it was away, or from before
    unsigned int cancelled;  // hung requests that their caller cancelled
} SIMCARD_COUNTERS;
