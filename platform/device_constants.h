// The Windows constants of COM, device enumeration and device control that the receiver
// uses, under their Windows names and values, for code built without the Windows headers.
#pragma once

#include <cstdint>

#include "platform/platform.h"

#if !defined(_WINDOWS_) && !defined(_WINDOWS_H)

constexpr HResult S_OK = 0;
constexpr HResult S_FALSE = 1;
constexpr std::uint32_t CLSCTX_INPROC_SERVER = 1;
constexpr std::uint16_t VT_EMPTY = 0;
constexpr std::uint16_t VT_BSTR = 8;
constexpr std::uint32_t CP_ACP = 0;

constexpr std::uint32_t ERROR_INVALID_FUNCTION = 1;
constexpr std::uint32_t ERROR_GEN_FAILURE = 31;
constexpr std::uint32_t ERROR_NOT_SUPPORTED = 50;
constexpr std::uint32_t ERROR_INVALID_PARAMETER = 87;
constexpr std::uint32_t ERROR_INSUFFICIENT_BUFFER = 122;
constexpr std::uint32_t ERROR_IO_INCOMPLETE = 996;
constexpr std::uint32_t ERROR_IO_PENDING = 997;
constexpr std::uint32_t ERROR_NOACCESS = 998;
constexpr std::uint32_t ERROR_IO_DEVICE = 1117;
constexpr std::uint32_t ERROR_DEVICE_NOT_CONNECTED = 1167;
constexpr std::uint32_t ERROR_NOT_FOUND = 1168;
constexpr std::uint32_t ERROR_SET_NOT_FOUND = 1170;
constexpr std::uint32_t ERROR_DEVICE_REMOVED = 1617;
constexpr std::uint32_t ERROR_SEM_TIMEOUT = 121;
constexpr std::uint32_t ERROR_OPERATION_ABORTED = 995;
constexpr std::uint32_t WAIT_OBJECT_0 = 0;
constexpr std::uint32_t WAIT_TIMEOUT = 258;

#endif

#if !defined(_KS_)

constexpr std::uint32_t IOCTL_KS_PROPERTY = 0x002F0003;
constexpr std::uint32_t KSPROPERTY_TYPE_GET = 1;
constexpr std::uint32_t KSPROPERTY_TYPE_SET = 2;

#endif
