#include "apps/tv_app.h"
#include "routing/shutdown.h"

// Every application is looked up, also after one was found.
bool NoTvAppRunning() {
    bool anyRunning = false;
    for (AppId id : kAppOrder)
        anyRunning = IsRunning(id) != 0 || anyRunning;
    return !anyRunning;
}
