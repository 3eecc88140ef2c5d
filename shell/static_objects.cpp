#include "shell/static_objects.h"

#include "routing/user_keys.h"

LogicState logic;

// The program builds the state before any other code runs: it must need no constructor
// that runs code, only values fixed at compile time.
static_assert([] {
    LogicState initial{};
    return initial.DefaultTVAPP == 9;
}());

void ConstructStaticObjects() {
    logic = LogicState{};
    ForgetUserKeys();
    AppRecord(7)->Construct(7);
    AppRecord(9)->Construct(9);
    AppRecord(6)->Construct(6);
    AppRecord(1)->Construct(1);
    logic.KeyPollTimer.Construct(1, OnKeyPollTick);
    logic.AppWatchTimer.Construct(2, AppWatchTick);
    logic.ReceiverSearchTimer.Construct(3, OnReceiverSearchTick);
    AppRecord(2)->Construct(2);
}
