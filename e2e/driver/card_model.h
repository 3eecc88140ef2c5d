// One simulated TV card as its driver keeps it: the shared decoder's state (GPIO registers,
// the I2C bus with the remote receiver's device at address 0x60), the scripted remote,
// injected faults and counters. Pure C with no kernel calls, so that it is plain to read.
#pragma once

#include "e2e/common/sim_card_control.h"
#include "sim/card/card_decoder.h"

typedef struct CARD_MODEL {
    unsigned int present;
    CARD_STATE state;  // heldCode: the code of the poll in progress

    SIMCARD_STEP steps[SIMCARD_MAX_STEPS];
    unsigned int stepCount;
    unsigned int stepIndex;  // the step in effect
    unsigned int stepPolls;  // polls already spent in it

    SIMCARD_FAULT faults[SIMCARD_MAX_FAULTS];
    unsigned int pendAll;
    unsigned int pendDelayMs;
    SIMCARD_COUNTERS counters;
} CARD_MODEL;

// What the driver does with one request.
typedef struct CARD_ANSWER {
    long status;             // NTSTATUS
    unsigned int pend;       // 1: report pending, complete later with `status`
    unsigned int replySize;  // bytes of the reply to return on success
} CARD_ANSWER;

void CardInit(CARD_MODEL* card, unsigned int kind, unsigned int keyLine);
void CardSetScript(CARD_MODEL* card, const SIMCARD_STEP* steps, unsigned int count);
void CardAddFault(CARD_MODEL* card, const SIMCARD_FAULT* fault);
void CardReset(CARD_MODEL* card);
// Script steps not yet finished; a step held for ever counts until it is replaced.
unsigned int CardStepsLeft(const CARD_MODEL* card);
// Decodes the request in `in` and writes the reply into `out` (a separate buffer).
CARD_ANSWER CardAnswer(CARD_MODEL* card, const unsigned char* in, unsigned int inSize,
                       unsigned char* out, unsigned int outSize);
