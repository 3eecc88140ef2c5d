// The console of a console program: standard handles, written text, typed lines, and the
// processes attached to it.
#include <algorithm>
#include <cstring>

#include "sim/sim_desktop.h"

namespace {

constexpr Handle kStdInput = 0x7100;
constexpr Handle kStdOutput = 0x7101;
constexpr Handle kStdError = 0x7102;
constexpr Handle kInvalidHandle = static_cast<Handle>(-1);
constexpr std::uint32_t kProgramId = 400;
constexpr std::uint32_t kShellId = 300;  // the command prompt that started it

}  // namespace

void SimDesktop::TypeConsoleLine(const std::string& line) {
    console.input += line + "\r\n";
    TraceDetail("console typed \"" + line + "\"");
}

Handle SimDesktop::GetStdHandle(std::uint32_t which) {
    ++calls;
    switch (which) {
        case STD_INPUT_HANDLE:
            return kStdInput;
        case STD_OUTPUT_HANDLE:
            return kStdOutput;
        case STD_ERROR_HANDLE:
            return kStdError;
        default:
            system.lastError = ERROR_INVALID_HANDLE;
            return kInvalidHandle;
    }
}

// Output and error share the console window, so their lines interleave as written.
bool SimDesktop::WriteFile(Handle file, const void* data, std::uint32_t size,
                           std::uint32_t* written, Overlapped*) {
    ++calls;
    if (files.open.count(file) != 0) return WriteUserFile(file, data, size, written);
    if (file != kStdOutput && file != kStdError) {
        system.lastError = ERROR_INVALID_HANDLE;
        return false;
    }
    const char* text = static_cast<const char*>(data);
    console.text.append(text, size);
    for (std::uint32_t i = 0; i < size; ++i) {
        if (text[i] == '\n') {
            Trace("console " + console.line);
            console.line.clear();
        } else if (text[i] != '\r') {
            console.line += text[i];
        }
    }
    if (written) *written = size;
    return true;
}

// A console read in line mode returns once a whole line has been typed, with its CR LF; the
// thread is blocked until then, while the world goes on.
bool SimDesktop::ReadFile(Handle file, void* data, std::uint32_t size, std::uint32_t* read,
                          Overlapped*) {
    ++calls;
    if (read) *read = 0;
    if (files.open.count(file) != 0) return ReadUserFile(file, data, size, read);
    if (file != kStdInput) {
        system.lastError = ERROR_INVALID_HANDLE;
        return false;
    }
    // Timers wait for a message loop, so only world events can end the wait.
    while (!stopped && console.input.find('\n') == std::string::npos) {
        if (events_.empty() || events_.begin()->first > runLimit) {
            RunWorldUntil(runLimit);
            stopped = true;
            break;
        }
        RunWorldUntil(events_.begin()->first);
    }
    std::size_t lineEnd = console.input.find('\n');
    if (lineEnd == std::string::npos) return true;  // the run ended first: nothing was typed
    std::size_t count = std::min<std::size_t>(lineEnd + 1, size);
    std::memcpy(data, console.input.data(), count);
    console.input.erase(0, count);
    if (read) *read = static_cast<std::uint32_t>(count);
    return true;
}

std::uint32_t SimDesktop::GetConsoleProcessList(std::uint32_t* processIds, std::uint32_t count) {
    ++calls;
    if (console.processes > 0 && count >= console.processes) {
        processIds[0] = kProgramId;
        if (console.processes > 1) processIds[1] = kShellId;
    }
    return console.processes;
}
