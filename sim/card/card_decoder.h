// The simulated TV card's side of the receiver's property requests: the request layout,
// the command table, and the decoder that checks each request byte by byte and answers it
// from the card's GPIO registers and from the remote receiver's device at I2C address 0x60.
// Freestanding C that calls no library, so that one copy serves the Wine run's kernel
// driver, the simulated desktop and the decoder fuzzer. The receiver keeps its own copy of
// these numbers on purpose: a wrong number on either side shows as a refused request.
#pragma once

#ifdef __cplusplus
extern "C" {
#endif

// A request: the property set, the property id, the flags and the command code make a
// 28-byte header, and the command's payload follows.
#define CARD_PROPERTY_SET_BYTES                                                                   \
    {                                                                                             \
        0x10, 0x1A, 0x4A, 0xC4, 0x37, 0x0A, 0xD2, 0x11, 0x83, 0x28, 0x00, 0x60, 0x97, 0xBA, 0x83, \
            0xAB                                                                                  \
    }
enum {
    CARD_PROPERTY_OFFSET = 16,
    CARD_FLAGS_OFFSET = 20,
    CARD_COMMAND_OFFSET = 24,
    CARD_HEADER_SIZE = 28,
    CARD_GPIO_PROPERTY = 6,
    CARD_GPIO_SIZE = 40,
    CARD_GPIO_ADDRESS_OFFSET = 28,  // the register that a GpioSetAddress selects
    CARD_GPIO_VALUE_OFFSET = 32,    // the register's value in a GpioRead reply
    CARD_I2C_PROPERTY = 4,
    CARD_I2C_SIZE = 120,
    CARD_I2C_SPEED_OFFSET = 32,
    CARD_I2C_READ_ADDRESS_OFFSET = 48,
    CARD_I2C_DATA_OFFSET = 50,  // the byte written, or the byte read in the reply
    CARD_FLAG_GET = 1,
    CARD_FLAG_SET = 2,
};

// Where the remote's code comes from.
#define CARD_KIND_GPIO 1u  // bits 0 to 5 of the key line's GPIO register
#define CARD_KIND_I2C 2u   // the byte of the device at I2C address 0x60

// The command table, in this order.
enum {
    CARD_GPIO_SET_ADDRESS,
    CARD_GPIO_READ,
    CARD_I2C_APPLY_SPEED,
    CARD_I2C_SPEED_100K,
    CARD_I2C_SPEED_200K,
    CARD_I2C_START,
    CARD_I2C_STOP,
    CARD_I2C_READ,
    CARD_I2C_WRITE,
    CARD_I2C_ACK,
    CARD_I2C_NACK,
    CARD_I2C_SET_READ_ADDRESS,
    CARD_COMMAND_COUNT
};

typedef struct CARD_COMMAND {
    const char* name;
    unsigned int code;
    unsigned int property;
    unsigned char set;  // which directions the command takes
    unsigned char get;
} CARD_COMMAND;

extern const CARD_COMMAND cardCommands[CARD_COMMAND_COUNT];

// The decoder's answers, as the driver's NTSTATUS values.
#define CARD_STATUS_SUCCESS 0u
#define CARD_STATUS_INVALID_PARAMETER 0xC000000Du
#define CARD_STATUS_BUFFER_TOO_SMALL 0xC0000023u
#define CARD_STATUS_NOT_SUPPORTED 0xC00000BBu
#define CARD_STATUS_IO_DEVICE_ERROR 0xC0000185u
#define CARD_STATUS_NOT_FOUND 0xC0000225u
#define CARD_STATUS_PROPSET_NOT_FOUND 0xC0000230u

typedef struct CARD_STATE {
    unsigned int kind;     // CARD_KIND_GPIO or CARD_KIND_I2C
    unsigned int keyLine;  // GPIO line that goes low while a remote key is down
    int heldCode;          // the code the remote sends; -1: no key down

    unsigned int selectedRegister;
    unsigned int selectedSpeed;
    unsigned int busSpeed;  // the speed in effect on the bus
    unsigned int busStarted;
    unsigned int deviceAddressed;
    unsigned char readAddress;
} CARD_STATE;

// A request whose header has been read.
typedef struct CARD_REQUEST {
    unsigned int property;
    unsigned int flags;
    unsigned int code;
    int command;  // its place in the table once command and direction are known, else -1
} CARD_REQUEST;

static inline unsigned int CardU32(const unsigned char* bytes, unsigned int offset) {
    return (unsigned int)bytes[offset] | (unsigned int)bytes[offset + 1] << 8 |
           (unsigned int)bytes[offset + 2] << 16 | (unsigned int)bytes[offset + 3] << 24;
}

static inline void CardPutU32(unsigned char* bytes, unsigned int offset, unsigned int value) {
    for (unsigned int i = 0; i < 4; ++i)
        bytes[offset + i] = (unsigned char)(value >> (8 * i));
}

void CardInitState(CARD_STATE* card, unsigned int kind, unsigned int keyLine);
// The command's place in the table, or -1.
int CardCommandIndex(unsigned int code);
unsigned int CardKeyRegister(const CARD_STATE* card);
unsigned int CardRegisterValue(const CARD_STATE* card, unsigned int address);
// Checks the request in `in` as the driver would before acting on it: header, size,
// command, direction and a set's payload.
unsigned int CardDecode(const unsigned char* in, unsigned int inSize, unsigned int outSize,
                        CARD_REQUEST* request);
// Carries out a request that CardDecode accepted; the reply's fields go into `out`, which
// already holds the request (it may be `in` itself).
unsigned int CardExecute(CARD_STATE* card, const CARD_REQUEST* request, const unsigned char* in,
                         unsigned char* out);

#ifdef __cplusplus
}
#endif
