// Kernel driver of the simulated TV card, for the Wine end-to-end run. It creates one
// device per simulated card and answers the receiver's IOCTL_KS_PROPERTY requests from
// the card model; a request can be completed at once or pended and completed later by a
// system thread, as a real capture driver may do. A control device takes the test
// controller's private requests: add and remove cards, script the remote, inject faults,
// read counters, and unplug a card and plug it in again. A card may also hang: it leaves
// every request pending and completes one only when its caller cancels it.
#include <ntddk.h>

#include "e2e/common/sim_card_control.h"
#include "e2e/driver/card_model.h"

#define IOCTL_KS_PROPERTY_CODE 0x002F0003u
#define QUEUE_SIZE 64

typedef struct DEVICE_EXTENSION {
    int card;  // -1: the control device
} DEVICE_EXTENSION;

typedef struct PENDED_REQUEST {
    PIRP irp;
    unsigned int delayMs;
} PENDED_REQUEST;

static CARD_MODEL cards[SIMCARD_MAX_CARDS];
static PDEVICE_OBJECT cardDevices[SIMCARD_MAX_CARDS];
// A card unplugged answers nothing; each plug makes it a new device, so a handle keeps the
// generation it was opened in (in its file object) and dies with it.
static unsigned char unplugged[SIMCARD_MAX_CARDS];
static ULONG_PTR generations[SIMCARD_MAX_CARDS];
static PDEVICE_OBJECT controlDevice;
static KSPIN_LOCK stateLock;  // guards the cards and the queue

static PENDED_REQUEST queue[QUEUE_SIZE];
static unsigned int queued;
static KEVENT workerWake;
static volatile LONG workerStopping;
static PVOID workerThread;

static NTSTATUS Complete(PIRP irp, NTSTATUS status, ULONG_PTR information) {
    irp->IoStatus.Status = status;
    irp->IoStatus.Information = information;
    IoCompleteRequest(irp, IO_NO_INCREMENT);
    return status;
}

// `prefix` followed by the card's number (one digit: there are fewer than ten cards).
static void NumberedName(PUNICODE_STRING name, WCHAR* buffer, USHORT size, const WCHAR* prefix,
                         unsigned int number) {
    USHORT length = 0, capacity = size / sizeof(WCHAR);
    while (prefix[length] && length + 2 < capacity) {
        buffer[length] = prefix[length];
        length++;
    }
    buffer[length++] = (WCHAR)(L'0' + number % 10);
    buffer[length] = 0;
    RtlInitUnicodeString(name, buffer);
}

// Takes the pended requests one by one, holds each for its delay, then completes it.
static VOID WorkerThread(PVOID context) {
    (void)context;
    for (;;) {
        KeWaitForSingleObject(&workerWake, Executive, KernelMode, FALSE, NULL);
        for (;;) {
            KIRQL irql;
            PENDED_REQUEST request;
            KeAcquireSpinLock(&stateLock, &irql);
            if (queued == 0) {
                KeReleaseSpinLock(&stateLock, irql);
                break;
            }
            request = queue[0];
            queued--;
            RtlMoveMemory(&queue[0], &queue[1], queued * sizeof queue[0]);
            KeReleaseSpinLock(&stateLock, irql);
            if (request.delayMs > 0) {
                LARGE_INTEGER interval;
                interval.QuadPart = -10000LL * request.delayMs;
                KeDelayExecutionThread(KernelMode, FALSE, &interval);
            }
            IoCompleteRequest(request.irp, IO_NO_INCREMENT);
        }
        if (workerStopping) break;
    }
    PsTerminateSystemThread(STATUS_SUCCESS);
}

// The cancel routine of a hung request, called with the cancel spin lock held.
static VOID CancelHung(PDEVICE_OBJECT device, PIRP irp) {
    int card = ((DEVICE_EXTENSION*)device->DeviceExtension)->card;
    IoReleaseCancelSpinLock(irp->CancelIrql);
    KIRQL irql;
    KeAcquireSpinLock(&stateLock, &irql);
    cards[card].counters.cancelled++;
    KeReleaseSpinLock(&stateLock, irql);
    Complete(irp, STATUS_CANCELLED, 0);
}

// Leaves the request pending for its caller to cancel; one cancelled before the routine
// was set is completed here.
static NTSTATUS Hang(PIRP irp) {
    IoMarkIrpPending(irp);
    IoSetCancelRoutine(irp, CancelHung);
    if (irp->Cancel && IoSetCancelRoutine(irp, NULL)) Complete(irp, STATUS_CANCELLED, 0);
    return STATUS_PENDING;
}

static NTSTATUS AnswerProperty(PIRP irp, int index) {
    PIO_STACK_LOCATION stack = IoGetCurrentIrpStackLocation(irp);
    ULONG inSize = stack->Parameters.DeviceIoControl.InputBufferLength;
    ULONG outSize = stack->Parameters.DeviceIoControl.OutputBufferLength;
    // METHOD_NEITHER: the request is in Type3InputBuffer, the reply goes to UserBuffer.
    const unsigned char* in = stack->Parameters.DeviceIoControl.Type3InputBuffer;
    unsigned char* out = irp->UserBuffer;
    if (!in || !out) return Complete(irp, STATUS_INVALID_PARAMETER, 0);

    KIRQL irql;
    KeAcquireSpinLock(&stateLock, &irql);
    CARD_ANSWER answer = CardAnswer(&cards[index], in, inSize, out, outSize);
    unsigned int delayMs = cards[index].pendDelayMs;
    if (answer.pend == SIMCARD_HANG) {
        KeReleaseSpinLock(&stateLock, irql);
        return Hang(irp);
    }
    int pend = answer.pend && queued < QUEUE_SIZE;
    if (pend) {
        queue[queued].irp = irp;
        queue[queued].delayMs = delayMs;
        queued++;
        irp->IoStatus.Status = answer.status;
        irp->IoStatus.Information = NT_SUCCESS(answer.status) ? answer.replySize : 0;
        IoMarkIrpPending(irp);
    }
    KeReleaseSpinLock(&stateLock, irql);
    if (!pend) {
        return Complete(irp, answer.status, NT_SUCCESS(answer.status) ? answer.replySize : 0);
    }
    KeSetEvent(&workerWake, IO_NO_INCREMENT, FALSE);
    return STATUS_PENDING;
}

static NTSTATUS AddCard(PDRIVER_OBJECT driver, const SIMCARD_ADD* add) {
    if (add->card >= SIMCARD_MAX_CARDS) return STATUS_INVALID_PARAMETER;
    if (add->kind != CARD_KIND_GPIO && add->kind != CARD_KIND_I2C) {
        return STATUS_INVALID_PARAMETER;
    }
    KIRQL irql;
    KeAcquireSpinLock(&stateLock, &irql);
    CardInit(&cards[add->card], add->kind, add->keyLine);
    KeReleaseSpinLock(&stateLock, irql);
    if (cardDevices[add->card]) return STATUS_SUCCESS;

    WCHAR deviceBuffer[64], linkBuffer[64];
    UNICODE_STRING deviceName, linkName;
    NumberedName(&deviceName, deviceBuffer, sizeof deviceBuffer, SIMCARD_DEVICE_PREFIX, add->card);
    NumberedName(&linkName, linkBuffer, sizeof linkBuffer, SIMCARD_LINK_PREFIX, add->card);
    PDEVICE_OBJECT device;
    NTSTATUS status = IoCreateDevice(driver, sizeof(DEVICE_EXTENSION), &deviceName, FILE_DEVICE_KS,
                                     0, FALSE, &device);
    if (!NT_SUCCESS(status)) return status;
    ((DEVICE_EXTENSION*)device->DeviceExtension)->card = (int)add->card;
    status = IoCreateSymbolicLink(&linkName, &deviceName);
    if (!NT_SUCCESS(status)) {
        IoDeleteDevice(device);
        return status;
    }
    device->Flags &= ~DO_DEVICE_INITIALIZING;
    cardDevices[add->card] = device;
    return STATUS_SUCCESS;
}

static void DeleteCardDevice(unsigned int card) {
    if (!cardDevices[card]) return;
    WCHAR linkBuffer[64];
    UNICODE_STRING linkName;
    NumberedName(&linkName, linkBuffer, sizeof linkBuffer, SIMCARD_LINK_PREFIX, card);
    IoDeleteSymbolicLink(&linkName);
    IoDeleteDevice(cardDevices[card]);
    cardDevices[card] = NULL;
}

static NTSTATUS SetPlugged(const SIMCARD_CARD* card, int plugged) {
    if (card->card >= SIMCARD_MAX_CARDS) return STATUS_INVALID_PARAMETER;
    KIRQL irql;
    KeAcquireSpinLock(&stateLock, &irql);
    if (plugged && unplugged[card->card]) generations[card->card]++;
    unplugged[card->card] = (unsigned char)!plugged;
    KeReleaseSpinLock(&stateLock, irql);
    return STATUS_SUCCESS;
}

static NTSTATUS RemoveCard(const SIMCARD_CARD* card) {
    if (card->card >= SIMCARD_MAX_CARDS) return STATUS_INVALID_PARAMETER;
    KIRQL irql;
    KeAcquireSpinLock(&stateLock, &irql);
    cards[card->card].present = 0;
    KeReleaseSpinLock(&stateLock, irql);
    DeleteCardDevice(card->card);
    return STATUS_SUCCESS;
}

// The card a control record names, or NULL when there is none.
static CARD_MODEL* NamedCard(const void* record, ULONG size, ULONG needed) {
    if (size < needed) return NULL;
    unsigned int card = ((const SIMCARD_CARD*)record)->card;
    if (card >= SIMCARD_MAX_CARDS || !cards[card].present) return NULL;
    return &cards[card];
}

static NTSTATUS ControlCard(PIRP irp, ULONG code, ULONG_PTR* information) {
    PIO_STACK_LOCATION stack = IoGetCurrentIrpStackLocation(irp);
    void* buffer = irp->AssociatedIrp.SystemBuffer;
    ULONG inSize = stack->Parameters.DeviceIoControl.InputBufferLength;
    ULONG outSize = stack->Parameters.DeviceIoControl.OutputBufferLength;
    ULONG needed = code == IOCTL_SIMCARD_SCRIPT       ? sizeof(SIMCARD_SCRIPT)
                   : code == IOCTL_SIMCARD_FAIL       ? sizeof(SIMCARD_FAULT)
                   : code == IOCTL_SIMCARD_COMPLETION ? sizeof(SIMCARD_COMPLETION_MODE)
                                                      : sizeof(SIMCARD_CARD);
    NTSTATUS status = STATUS_SUCCESS;
    KIRQL irql;
    KeAcquireSpinLock(&stateLock, &irql);
    CARD_MODEL* card = NamedCard(buffer, inSize, needed);
    if (!card) {
        status = STATUS_NO_SUCH_DEVICE;
    } else if (code == IOCTL_SIMCARD_SCRIPT) {
        const SIMCARD_SCRIPT* script = buffer;
        CardSetScript(card, script->steps, script->count);
    } else if (code == IOCTL_SIMCARD_FAIL) {
        CardAddFault(card, buffer);
    } else if (code == IOCTL_SIMCARD_COMPLETION) {
        const SIMCARD_COMPLETION_MODE* mode = buffer;
        card->pendAll = mode->pending;
        card->pendDelayMs = mode->delayMs;
    } else if (code == IOCTL_SIMCARD_RESET) {
        CardReset(card);
    } else if (outSize < sizeof(SIMCARD_COUNTERS)) {
        status = STATUS_BUFFER_TOO_SMALL;
    } else {
        card->counters.stepsLeft = CardStepsLeft(card);
        RtlCopyMemory(buffer, &card->counters, sizeof card->counters);
        *information = sizeof card->counters;
    }
    KeReleaseSpinLock(&stateLock, irql);
    return status;
}

static NTSTATUS Control(PDEVICE_OBJECT device, PIRP irp) {
    PIO_STACK_LOCATION stack = IoGetCurrentIrpStackLocation(irp);
    ULONG code = stack->Parameters.DeviceIoControl.IoControlCode;
    void* buffer = irp->AssociatedIrp.SystemBuffer;
    ULONG inSize = stack->Parameters.DeviceIoControl.InputBufferLength;
    ULONG_PTR information = 0;
    NTSTATUS status;
    if (code == IOCTL_SIMCARD_ADD) {
        status = inSize >= sizeof(SIMCARD_ADD) ? AddCard(device->DriverObject, buffer)
                                               : STATUS_INVALID_PARAMETER;
    } else if (code == IOCTL_SIMCARD_REMOVE) {
        status = inSize >= sizeof(SIMCARD_CARD) ? RemoveCard(buffer) : STATUS_INVALID_PARAMETER;
    } else if (code == IOCTL_SIMCARD_UNPLUG || code == IOCTL_SIMCARD_PLUG) {
        status = inSize >= sizeof(SIMCARD_CARD) ? SetPlugged(buffer, code == IOCTL_SIMCARD_PLUG)
                                                : STATUS_INVALID_PARAMETER;
    } else if (code == IOCTL_SIMCARD_SCRIPT || code == IOCTL_SIMCARD_FAIL ||
               code == IOCTL_SIMCARD_COMPLETION || code == IOCTL_SIMCARD_COUNTERS ||
               code == IOCTL_SIMCARD_RESET) {
        status = ControlCard(irp, code, &information);
    } else {
        status = STATUS_INVALID_DEVICE_REQUEST;
    }
    return Complete(irp, status, information);
}

// Whether the handle the request came on belongs to the card as it is now.
static int HandleAlive(PIRP irp, int card) {
    PFILE_OBJECT file = IoGetCurrentIrpStackLocation(irp)->FileObject;
    return !unplugged[card] && file && (ULONG_PTR)file->FsContext == generations[card] + 1;
}

static NTSTATUS DispatchDeviceControl(PDEVICE_OBJECT device, PIRP irp) {
    int card = ((DEVICE_EXTENSION*)device->DeviceExtension)->card;
    if (card < 0) return Control(device, irp);
    ULONG code = IoGetCurrentIrpStackLocation(irp)->Parameters.DeviceIoControl.IoControlCode;
    if (code != IOCTL_KS_PROPERTY_CODE || !cards[card].present) {
        return Complete(irp, STATUS_INVALID_DEVICE_REQUEST, 0);
    }
    KIRQL irql;
    KeAcquireSpinLock(&stateLock, &irql);
    int alive = HandleAlive(irp, card);
    if (!alive) cards[card].counters.refused++;
    KeReleaseSpinLock(&stateLock, irql);
    if (!alive) return Complete(irp, STATUS_DEVICE_NOT_CONNECTED, 0);
    return AnswerProperty(irp, card);
}

// A card's handle is stamped with the card's generation; an unplugged card cannot be opened.
static NTSTATUS DispatchOpenClose(PDEVICE_OBJECT device, PIRP irp) {
    PIO_STACK_LOCATION stack = IoGetCurrentIrpStackLocation(irp);
    int card = ((DEVICE_EXTENSION*)device->DeviceExtension)->card;
    if (card < 0 || stack->MajorFunction != IRP_MJ_CREATE) return Complete(irp, STATUS_SUCCESS, 0);
    NTSTATUS status = STATUS_SUCCESS;
    KIRQL irql;
    KeAcquireSpinLock(&stateLock, &irql);
    if (unplugged[card]) {
        status = STATUS_DEVICE_NOT_CONNECTED;
    } else if (stack->FileObject) {
        stack->FileObject->FsContext = (PVOID)(generations[card] + 1);
    }
    KeReleaseSpinLock(&stateLock, irql);
    return Complete(irp, status, 0);
}

static VOID Unload(PDRIVER_OBJECT driver) {
    (void)driver;
    workerStopping = 1;
    KeSetEvent(&workerWake, IO_NO_INCREMENT, FALSE);
    if (workerThread) {
        KeWaitForSingleObject(workerThread, Executive, KernelMode, FALSE, NULL);
        ObDereferenceObject(workerThread);
    }
    for (unsigned int card = 0; card < SIMCARD_MAX_CARDS; ++card)
        DeleteCardDevice(card);
    UNICODE_STRING linkName;
    RtlInitUnicodeString(&linkName, SIMCARD_CONTROL_LINK);
    IoDeleteSymbolicLink(&linkName);
    if (controlDevice) IoDeleteDevice(controlDevice);
}

NTSTATUS NTAPI DriverEntry(PDRIVER_OBJECT driver, PUNICODE_STRING registryPath) {
    (void)registryPath;
    KeInitializeSpinLock(&stateLock);
    KeInitializeEvent(&workerWake, SynchronizationEvent, FALSE);
    driver->MajorFunction[IRP_MJ_CREATE] = DispatchOpenClose;
    driver->MajorFunction[IRP_MJ_CLOSE] = DispatchOpenClose;
    driver->MajorFunction[IRP_MJ_CLEANUP] = DispatchOpenClose;
    driver->MajorFunction[IRP_MJ_DEVICE_CONTROL] = DispatchDeviceControl;
    driver->DriverUnload = Unload;

    UNICODE_STRING deviceName, linkName;
    RtlInitUnicodeString(&deviceName, SIMCARD_CONTROL_DEVICE);
    RtlInitUnicodeString(&linkName, SIMCARD_CONTROL_LINK);
    NTSTATUS status = IoCreateDevice(driver, sizeof(DEVICE_EXTENSION), &deviceName,
                                     FILE_DEVICE_UNKNOWN, 0, FALSE, &controlDevice);
    if (!NT_SUCCESS(status)) return status;
    ((DEVICE_EXTENSION*)controlDevice->DeviceExtension)->card = -1;
    status = IoCreateSymbolicLink(&linkName, &deviceName);
    if (!NT_SUCCESS(status)) {
        IoDeleteDevice(controlDevice);
        return status;
    }

    HANDLE thread;
    status = PsCreateSystemThread(&thread, THREAD_ALL_ACCESS, NULL, NULL, NULL, WorkerThread, NULL);
    if (NT_SUCCESS(status)) {
        ObReferenceObjectByHandle(thread, THREAD_ALL_ACCESS, NULL, KernelMode, &workerThread, NULL);
        ZwClose(thread);
    }
    return STATUS_SUCCESS;
}
