// The card's answers to the receiver's property requests, decoded byte by byte.
#include "e2e/driver/card_model.h"

#include <string.h>

#define CM_SUCCESS 0L
#define CM_INVALID_PARAMETER ((long)0xC000000DL)
#define CM_NOT_FOUND ((long)0xC0000225L)
#define CM_NOT_SUPPORTED ((long)0xC00000BBL)
#define CM_BUFFER_TOO_SMALL ((long)0xC0000023L)
#define CM_IO_DEVICE_ERROR ((long)0xC0000185L)

enum {
    kGpioProperty = 6,
    kI2cProperty = 4,
    kGpioSize = 40,
    kI2cSize = 120,
    kHeaderSize = 28,
    kFlagGet = 1,
    kFlagSet = 2,
    kFirstGpioRegister = 0x350010,
    kRemoteDevice = 0x60,
};

enum {
    kGpioSetAddress = 0x30000001,
    kGpioRead = 0x30000003,
    kI2cApplySpeed = 0x11000001,
    kI2cSpeed100k = 0x11000002,
    kI2cSpeed200k = 0x11000003,
    kI2cStart = 0x1100000B,
    kI2cStop = 0x1100000C,
    kI2cRead = 0x1100000D,
    kI2cWrite = 0x1100000E,
    kI2cAck = 0x1100000F,
    kI2cNack = 0x11000010,
    kI2cSetReadAddress = 0x11000018,
};

static const unsigned char kPropertySet[16] = {0x10, 0x1A, 0x4A, 0xC4, 0x37, 0x0A, 0xD2, 0x11,
                                               0x83, 0x28, 0x00, 0x60, 0x97, 0xBA, 0x83, 0xAB};
static const unsigned int kCommandCodes[SIMCARD_COMMAND_COUNT] = SIMCARD_COMMAND_CODES;

static unsigned int U32(const unsigned char* bytes, unsigned int offset) {
    return (unsigned int)bytes[offset] | (unsigned int)bytes[offset + 1] << 8 |
           (unsigned int)bytes[offset + 2] << 16 | (unsigned int)bytes[offset + 3] << 24;
}

static void PutU32(unsigned char* bytes, unsigned int offset, unsigned int value) {
    for (unsigned int i = 0; i < 4; ++i)
        bytes[offset + i] = (unsigned char)(value >> (8 * i));
}

static int Zero(const unsigned char* bytes, unsigned int from, unsigned int to) {
    for (unsigned int i = from; i < to; ++i) {
        if (bytes[i] != 0) return 0;
    }
    return 1;
}

static int CommandIndex(unsigned int code) {
    for (int i = 0; i < SIMCARD_COMMAND_COUNT; ++i) {
        if (kCommandCodes[i] == code) return i;
    }
    return -1;
}

// Which commands a property carries, and in which directions.
static int CommandAllowed(unsigned int property, unsigned int code, unsigned int flags) {
    int set = flags == kFlagSet, get = flags == kFlagGet;
    if (property == kGpioProperty) {
        if (code == kGpioSetAddress) return set;
        if (code == kGpioRead) return set || get;
        return 0;
    }
    if (CommandIndex(code) < 0 || code == kGpioSetAddress || code == kGpioRead) return 0;
    return code == kI2cRead ? get : set;
}

// A set request may carry something only in its command's own field.
static int PayloadValid(unsigned int property, unsigned int code, const unsigned char* in) {
    if (property == kGpioProperty) {
        return (code == kGpioSetAddress || Zero(in, 28, 32)) && Zero(in, 32, kGpioSize);
    }
    unsigned int speed = U32(in, 32);
    int speedValid = code == kI2cSpeed100k   ? speed == 100000
                     : code == kI2cSpeed200k ? speed == 200000
                                             : speed == 0;
    int addressValid = code == kI2cSetReadAddress || in[48] == 0;
    int dataValid = code == kI2cWrite || in[50] == 0;
    return speedValid && addressValid && dataValid && Zero(in, 28, 32) && Zero(in, 36, 48) &&
           in[49] == 0 && Zero(in, 51, kI2cSize);
}

static unsigned int KeyRegister(const CARD_MODEL* card) {
    return kFirstGpioRegister + (card->keyLine / 8u) * 4u;
}

// Starts the next poll: moves the script on by one poll and takes its key state.
static void StartPoll(CARD_MODEL* card) {
    card->counters.polls++;
    while (card->stepIndex < card->stepCount) {
        const SIMCARD_STEP* step = &card->steps[card->stepIndex];
        if (step->polls == 0 || card->stepPolls < step->polls) {
            card->stepPolls++;
            card->heldCode = step->rawCode;
            return;
        }
        card->stepIndex++;
        card->stepPolls = 0;
    }
    card->heldCode = -1;
}

static unsigned int RegisterValue(const CARD_MODEL* card, unsigned int address) {
    unsigned int value = 0xFFFFFFFFu;  // idle lines read high
    if (card->heldCode < 0 || address != KeyRegister(card)) return value;
    value &= ~(1u << (card->keyLine % 8u));
    if (card->kind == SIMCARD_KIND_GPIO)
        value = (value & ~0x3Fu) | ((unsigned)card->heldCode & 0x3Fu);
    return value;
}

static long Execute(CARD_MODEL* card, unsigned int code, const unsigned char* in,
                    unsigned char* out) {
    switch (code) {
        case kGpioSetAddress:
            card->selectedRegister = U32(in, 28);
            if (card->selectedRegister == KeyRegister(card)) StartPoll(card);
            return CM_SUCCESS;
        case kGpioRead:
            PutU32(out, 32, RegisterValue(card, card->selectedRegister));
            return CM_SUCCESS;
        case kI2cApplySpeed:
            card->busSpeed = card->selectedSpeed;
            return CM_SUCCESS;
        case kI2cSpeed100k:
        case kI2cSpeed200k:
            card->selectedSpeed = U32(in, 32);
            return CM_SUCCESS;
        case kI2cStart:
            card->busStarted = 1;
            card->deviceAddressed = 0;
            return CM_SUCCESS;
        case kI2cStop:
            card->busStarted = 0;
            card->deviceAddressed = 0;
            return CM_SUCCESS;
        case kI2cSetReadAddress:
            card->readAddress = in[48];
            return CM_SUCCESS;
        case kI2cWrite:
            if (!card->busStarted) return CM_IO_DEVICE_ERROR;
            if (!card->deviceAddressed) {
                // The first byte after a start addresses a device; only the receiver's device
                // on an I2C card acknowledges.
                int receiver = card->kind == SIMCARD_KIND_I2C && (in[50] & 0xFE) == kRemoteDevice;
                if (!receiver) return CM_IO_DEVICE_ERROR;
                card->deviceAddressed = 1;
            }
            return CM_SUCCESS;
        case kI2cRead:
            if (!card->deviceAddressed) return CM_IO_DEVICE_ERROR;
            out[50] = (unsigned char)(card->heldCode >= 0 ? card->heldCode : 0xFF);
            return CM_SUCCESS;
        case kI2cAck:
        case kI2cNack:
            return card->deviceAddressed ? CM_SUCCESS : CM_IO_DEVICE_ERROR;
        default:
            return CM_NOT_SUPPORTED;
    }
}

// The injected fault that this request meets, if any; a counted one is used up.
static const SIMCARD_FAULT* TakeFault(CARD_MODEL* card, unsigned int code, unsigned int flags) {
    for (int i = 0; i < SIMCARD_MAX_FAULTS; ++i) {
        SIMCARD_FAULT* fault = &card->faults[i];
        if (fault->times == 0 || fault->command != code) continue;
        if (fault->flags != 0 && fault->flags != flags) continue;
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

static long Decode(CARD_MODEL* card, const unsigned char* in, unsigned int inSize,
                   unsigned char* out, unsigned int outSize, unsigned int* replySize,
                   unsigned int* pend) {
    if (inSize < kHeaderSize || outSize != inSize) return CM_INVALID_PARAMETER;
    if (memcmp(in, kPropertySet, sizeof kPropertySet) != 0) return CM_NOT_FOUND;
    unsigned int property = U32(in, 16), flags = U32(in, 20), code = U32(in, 24);
    if (property != kGpioProperty && property != kI2cProperty) return CM_NOT_FOUND;
    unsigned int size = property == kGpioProperty ? kGpioSize : kI2cSize;
    if (inSize < size) return CM_BUFFER_TOO_SMALL;
    if (inSize > size || !CommandAllowed(property, code, flags)) return CM_INVALID_PARAMETER;
    int index = CommandIndex(code);
    card->counters.byCommand[index][flags == kFlagGet ? 1 : 0]++;
    // A get's payload is the driver's to fill: what comes in there is not read.
    if (flags == kFlagSet && !PayloadValid(property, code, in)) return CM_INVALID_PARAMETER;
    const SIMCARD_FAULT* fault = TakeFault(card, code, flags);
    if (fault) {
        *pend = fault->pending;
        return (long)fault->status;
    }
    long status = Execute(card, code, in, out);
    if (status == CM_SUCCESS) *replySize = inSize;
    return status;
}

void CardInit(CARD_MODEL* card, unsigned int kind, unsigned int keyLine) {
    memset(card, 0, sizeof *card);
    card->present = 1;
    card->kind = kind;
    card->keyLine = keyLine;
    card->heldCode = -1;
    card->selectedSpeed = 100000;
    card->busSpeed = 100000;
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
    CARD_ANSWER answer = {CM_SUCCESS, card->pendAll, 0};
    Record(card, in, inSize);
    // The reply starts as the request: a failed one gives the caller its own bytes back.
    if (outSize == inSize) memcpy(out, in, inSize);
    answer.status = Decode(card, in, inSize, out, outSize, &answer.replySize, &answer.pend);
    if (answer.status != CM_SUCCESS) card->counters.failed++;
    if (answer.pend) card->counters.pended++;
    return answer;
}
