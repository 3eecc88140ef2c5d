// Compares the portable Windows constants with those of <windows.h>. The portable header is
// read first, while <windows.h> is still absent, so that its values can be captured before
// <windows.h> turns the same names into its own macros.
#include <cstdint>

#include "platform/device_constants.h"
#include "platform/win_constants.h"
#include "platform/win_key_constants.h"
#include "platform/win_shell_constants.h"
#include "win_constant_names.h"

namespace {

#define RC_PORTABLE_VALUE(name) static_cast<std::uint64_t>(name),
constexpr std::uint64_t portableValues[] = {RC_WIN_CONSTANTS(RC_PORTABLE_VALUE, RC_PORTABLE_VALUE)};

// The operands of ## are not macro-expanded, so these names survive <windows.h>.
#define RC_INDEX_OF(name) index_##name,
enum WinConstantIndex { RC_WIN_CONSTANTS(RC_INDEX_OF, RC_INDEX_OF) };

}  // namespace

// Must come after the portable values were captured.
#include "platform/win32/windows_api.h"

#define RC_CHECK_NUMBER(name)                                                       \
    static_assert(static_cast<std::uint64_t>(name) == portableValues[index_##name], \
                  #name " in platform/win_constants.h differs from <windows.h>");
#define RC_NOT_CONSTANT(name)
RC_WIN_CONSTANTS(RC_CHECK_NUMBER, RC_NOT_CONSTANT)

// Predefined registry keys are pointer values in <windows.h>, which no constant expression
// can read; they are compared when the check program runs.
const char* FirstMismatchedHandleConstant() {
#define RC_CHECK_HANDLE(name)                                                 \
    if (static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(name)) != \
        portableValues[index_##name])                                         \
        return #name;
    RC_WIN_CONSTANTS(RC_NOT_CONSTANT, RC_CHECK_HANDLE)
    return nullptr;
}
