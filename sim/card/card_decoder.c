// The card's answers to the receiver's property requests, decoded byte by byte.
#include "sim/card/card_decoder.h"

enum {
    kFirstGpioRegister = 0x350010,
    kRemoteDevice = 0x60,
};

const CARD_COMMAND cardCommands[CARD_COMMAND_COUNT] = {
    {"GpioSetAddress", 0x30000001u, CARD_GPIO_PROPERTY, 1, 0},
    {"GpioRead", 0x30000003u, CARD_GPIO_PROPERTY, 1, 1},
    {"I2cApplySpeed", 0x11000001u, CARD_I2C_PROPERTY, 1, 0},
    {"I2cSpeed100k", 0x11000002u, CARD_I2C_PROPERTY, 1, 0},
    {"I2cSpeed200k", 0x11000003u, CARD_I2C_PROPERTY, 1, 0},
    {"I2cStart", 0x1100000Bu, CARD_I2C_PROPERTY, 1, 0},
    {"I2cStop", 0x1100000Cu, CARD_I2C_PROPERTY, 1, 0},
    {"I2cRead", 0x1100000Du, CARD_I2C_PROPERTY, 0, 1},
    {"I2cWrite", 0x1100000Eu, CARD_I2C_PROPERTY, 1, 0},
    {"I2cAck", 0x1100000Fu, CARD_I2C_PROPERTY, 1, 0},
    {"I2cNack", 0x11000010u, CARD_I2C_PROPERTY, 1, 0},
    {"I2cSetReadAddress", 0x11000018u, CARD_I2C_PROPERTY, 1, 0},
};

static const unsigned char kPropertySet[16] = CARD_PROPERTY_SET_BYTES;

static int Zero(const unsigned char* bytes, unsigned int from, unsigned int to) {
    for (unsigned int i = from; i < to; ++i) {
        if (bytes[i] != 0) return 0;
    }
    return 1;
}

// A set request may carry something only in its command's own field.
static int PayloadValid(const CARD_REQUEST* request, const unsigned char* in) {
    int command = request->command;
    if (request->property == CARD_GPIO_PROPERTY) {
        return (command == CARD_GPIO_SET_ADDRESS || Zero(in, CARD_GPIO_ADDRESS_OFFSET, 32)) &&
               Zero(in, 32, CARD_GPIO_SIZE);
    }
    unsigned int speed = CardU32(in, CARD_I2C_SPEED_OFFSET);
    int speedValid = command == CARD_I2C_SPEED_100K   ? speed == 100000
                     : command == CARD_I2C_SPEED_200K ? speed == 200000
                                                      : speed == 0;
    int addressValid =
        command == CARD_I2C_SET_READ_ADDRESS || in[CARD_I2C_READ_ADDRESS_OFFSET] == 0;
    int dataValid = command == CARD_I2C_WRITE || in[CARD_I2C_DATA_OFFSET] == 0;
    return speedValid && addressValid && dataValid && Zero(in, 28, 32) && Zero(in, 36, 48) &&
           in[49] == 0 && Zero(in, 51, CARD_I2C_SIZE);
}

void CardInitState(CARD_STATE* card, unsigned int kind, unsigned int keyLine) {
    card->kind = kind;
    card->keyLine = keyLine;
    card->heldCode = -1;
    card->selectedRegister = 0;
    card->selectedSpeed = 100000;
    card->busSpeed = 100000;
    card->busStarted = 0;
    card->deviceAddressed = 0;
    card->readAddress = 0;
}

int CardCommandIndex(unsigned int code) {
    for (int i = 0; i < CARD_COMMAND_COUNT; ++i) {
        if (cardCommands[i].code == code) return i;
    }
    return -1;
}

unsigned int CardKeyRegister(const CARD_STATE* card) {
    return kFirstGpioRegister + (card->keyLine / 8u) * 4u;
}

unsigned int CardRegisterValue(const CARD_STATE* card, unsigned int address) {
    unsigned int value = 0xFFFFFFFFu;  // idle lines read high
    if (card->heldCode < 0 || address != CardKeyRegister(card)) return value;
    value &= ~(1u << (card->keyLine % 8u));
    if (card->kind == CARD_KIND_GPIO) value = (value & ~0x3Fu) | ((unsigned)card->heldCode & 0x3Fu);
    return value;
}

unsigned int CardDecode(const unsigned char* in, unsigned int inSize, unsigned int outSize,
                        CARD_REQUEST* request) {
    request->command = -1;
    if (inSize < CARD_HEADER_SIZE || outSize != inSize) return CARD_STATUS_INVALID_PARAMETER;
    for (unsigned int i = 0; i < sizeof kPropertySet; ++i) {
        if (in[i] != kPropertySet[i]) return CARD_STATUS_PROPSET_NOT_FOUND;
    }
    request->property = CardU32(in, CARD_PROPERTY_OFFSET);
    request->flags = CardU32(in, CARD_FLAGS_OFFSET);
    request->code = CardU32(in, CARD_COMMAND_OFFSET);
    unsigned int size;
    if (request->property == CARD_GPIO_PROPERTY) {
        size = CARD_GPIO_SIZE;
    } else if (request->property == CARD_I2C_PROPERTY) {
        size = CARD_I2C_SIZE;
    } else {
        return CARD_STATUS_NOT_FOUND;
    }
    if (inSize < size) return CARD_STATUS_BUFFER_TOO_SMALL;
    if (inSize > size) return CARD_STATUS_INVALID_PARAMETER;
    int command = CardCommandIndex(request->code);
    if (command < 0 || cardCommands[command].property != request->property) {
        return CARD_STATUS_NOT_SUPPORTED;
    }
    int set = request->flags == CARD_FLAG_SET, get = request->flags == CARD_FLAG_GET;
    if (!(set && cardCommands[command].set) && !(get && cardCommands[command].get)) {
        return CARD_STATUS_INVALID_PARAMETER;
    }
    request->command = command;
    // A get's payload is the driver's to fill: what comes in there is not read.
    if (set && !PayloadValid(request, in)) return CARD_STATUS_INVALID_PARAMETER;
    return CARD_STATUS_SUCCESS;
}

unsigned int CardExecute(CARD_STATE* card, const CARD_REQUEST* request, const unsigned char* in,
                         unsigned char* out) {
    switch (request->command) {
        case CARD_GPIO_SET_ADDRESS:
            card->selectedRegister = CardU32(in, CARD_GPIO_ADDRESS_OFFSET);
            return CARD_STATUS_SUCCESS;
        case CARD_GPIO_READ:
            CardPutU32(out, CARD_GPIO_VALUE_OFFSET,
                       CardRegisterValue(card, card->selectedRegister));
            return CARD_STATUS_SUCCESS;
        case CARD_I2C_APPLY_SPEED:
            card->busSpeed = card->selectedSpeed;
            return CARD_STATUS_SUCCESS;
        case CARD_I2C_SPEED_100K:
        case CARD_I2C_SPEED_200K:
            card->selectedSpeed = CardU32(in, CARD_I2C_SPEED_OFFSET);
            return CARD_STATUS_SUCCESS;
        case CARD_I2C_START:
            card->busStarted = 1;
            card->deviceAddressed = 0;
            return CARD_STATUS_SUCCESS;
        case CARD_I2C_STOP:
            card->busStarted = 0;
            card->deviceAddressed = 0;
            return CARD_STATUS_SUCCESS;
        case CARD_I2C_SET_READ_ADDRESS:
            card->readAddress = in[CARD_I2C_READ_ADDRESS_OFFSET];
            return CARD_STATUS_SUCCESS;
        case CARD_I2C_WRITE:
            if (!card->busStarted) return CARD_STATUS_IO_DEVICE_ERROR;
            if (!card->deviceAddressed) {
                // The first byte after a start addresses a device; only the receiver's device
                // on an I2C card acknowledges.
                int receiver = card->kind == CARD_KIND_I2C &&
                               (in[CARD_I2C_DATA_OFFSET] & 0xFE) == kRemoteDevice;
                if (!receiver) return CARD_STATUS_IO_DEVICE_ERROR;
                card->deviceAddressed = 1;
            }
            return CARD_STATUS_SUCCESS;
        case CARD_I2C_READ:
            if (!card->deviceAddressed) return CARD_STATUS_IO_DEVICE_ERROR;
            out[CARD_I2C_DATA_OFFSET] =
                (unsigned char)(card->heldCode >= 0 ? card->heldCode : 0xFF);
            return CARD_STATUS_SUCCESS;
        case CARD_I2C_ACK:
        case CARD_I2C_NACK:
            return card->deviceAddressed ? CARD_STATUS_SUCCESS : CARD_STATUS_IO_DEVICE_ERROR;
        default:
            return CARD_STATUS_NOT_SUPPORTED;
    }
}
