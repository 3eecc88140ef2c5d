// The driver's card: the shared decoder, with the scripted remote moving on at each poll,
// injected faults and the counters that the test controller reads.
#include "e2e/driver/card_model.h"

#include <string.h>

// Starts the next poll: moves the script on by one poll and takes its key state.
static void StartPoll(CARD_MODEL* card) {
    card->counters.polls++;
    while (card->stepIndex < card->stepCount) {
        const SIMCARD_STEP* step = &card->steps[card->stepIndex];
        if (step->polls == 0 || card->stepPolls < step->polls) {
            card->stepPolls++;
            card->state.heldCode = step->rawCode;
            return;
        }
        card->stepIndex++;
        card->stepPolls = 0;
    }
    card->state.heldCode = -1;
}

// The injected fault that this request meets, if any; a counted one is used up.
static const SIMCARD_FAULT* TakeFault(CARD_MODEL* card, const CARD_REQUEST* request) {
    for (int i = 0; i < SIMCARD_MAX_FAULTS; ++i) {
        SIMCARD_FAULT* fault = &card->faults[i];
        if (fault->times == 0 || fault->command != request->code) continue;
        if (fault->flags != 0 && fault->flags != request->flags) continue;
        if (fault->times > 0) fault->times--;
        return fault;
    }
    return 0;
}

static void Record(CARD_MODEL* card, const unsigned char* in, unsigned int inSize) {
    card->counters.requests++;
    card->counters.lastSize = inSize;
    unsigned int kept = inSize < SIMCARD_REQUEST_BYTES ? inSize : SIMCARD_REQUEST_BYTES;
    memcpy(card->counters.last, in, kept);
    memset(card->counters.last + kept, 0, SIMCARD_REQUEST_BYTES - kept);
}

static unsigned int Decode(CARD_MODEL* card, const unsigned char* in, unsigned int inSize,
                           unsigned char* out, unsigned int outSize, unsigned int* replySize,
                           unsigned int* pend) {
    CARD_REQUEST request;
    unsigned int status = CardDecode(in, inSize, outSize, &request);
    if (request.command >= 0) {
        card->counters.byCommand[request.command][request.flags == CARD_FLAG_GET ? 1 : 0]++;
    }
    if (status != CARD_STATUS_SUCCESS) return status;
    const SIMCARD_FAULT* fault = TakeFault(card, &request);
    if (fault) {
        *pend = fault->pending;
        return fault->status;
    }
    status = CardExecute(&card->state, &request, in, out);
    if (status != CARD_STATUS_SUCCESS) return status;
    if (request.command == CARD_GPIO_SET_ADDRESS &&
        card->state.selectedRegister == CardKeyRegister(&card->state)) {
        StartPoll(card);
    }
    *replySize = inSize;
    return status;
}

void CardInit(CARD_MODEL* card, unsigned int kind, unsigned int keyLine) {
    memset(card, 0, sizeof *card);
    card->present = 1;
    CardInitState(&card->state, kind, keyLine);
}

void CardSetScript(CARD_MODEL* card, const SIMCARD_STEP* steps, unsigned int count) {
    if (count > SIMCARD_MAX_STEPS) count = SIMCARD_MAX_STEPS;
    memcpy(card->steps, steps, count * sizeof *steps);
    card->stepCount = count;
    card->stepIndex = 0;
    card->stepPolls = 0;
}

void CardAddFault(CARD_MODEL* card, const SIMCARD_FAULT* fault) {
    for (int i = 0; i < SIMCARD_MAX_FAULTS; ++i) {
        if (card->faults[i].times == 0) {
            card->faults[i] = *fault;
            return;
        }
    }
}

void CardReset(CARD_MODEL* card) {
    memset(&card->counters, 0, sizeof card->counters);
    memset(card->faults, 0, sizeof card->faults);
}

unsigned int CardStepsLeft(const CARD_MODEL* card) {
    unsigned int left = card->stepCount - card->stepIndex;
    if (left > 0) {
        const SIMCARD_STEP* step = &card->steps[card->stepIndex];
        if (step->polls != 0 && card->stepPolls >= step->polls) left--;
    }
    return left;
}

CARD_ANSWER CardAnswer(CARD_MODEL* card, const unsigned char* in, unsigned int inSize,
                       unsigned char* out, unsigned int outSize) {
    CARD_ANSWER answer = {CARD_STATUS_SUCCESS, card->pendAll, 0};
    Record(card, in, inSize);
    // The reply starts as the request: a failed one gives the caller its own bytes back.
    if (outSize == inSize) memcpy(out, in, inSize);
    answer.status = (long)Decode(card, in, inSize, out, outSize, &answer.replySize, &answer.pend);
    if (answer.status != 0) card->counters.failed++;
    if (answer.pend) card->counters.pended++;
    return answer;
}
