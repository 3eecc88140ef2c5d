#include "shell/static_objects.h"

#include "apps/message_maps.h"
#include "apps/tv_app.h"
#include "receiver/capture_device.h"
#include "routing/key_router.h"
#include "routing/pointer_mode.h"
#include "routing/shutdown.h"
#include "shell/settings.h"
#include "shell/timer_slot.h"

namespace {

void ResetProcessState() {
    receiverChannel = ReceiverChannel{};
    routerState = RouterState{};
    pointerState = PointerState{};
    shutdownDialogOpen = false;
    shutdownDialogWindow = 0;
    pictureViewWindow = 0;
    DefaultTVAPP = 9;
    AlwaysRemoteOff = false;
    japanCountry = false;
    ClearLaunchedFlags();
    ForgetExitActions();
}

}  // namespace

void ConstructStaticObjects() {
    ResetProcessState();
    AppRecord(7)->Construct(7);
    AppRecord(9)->Construct(9);
    AppRecord(6)->Construct(6);
    AppRecord(1)->Construct(1);
    KeyPollTimer.Construct(1, OnKeyPollTick);
    AppWatchTimer.Construct(2, AppWatchTick);
    AppRecord(2)->Construct(2);
}
