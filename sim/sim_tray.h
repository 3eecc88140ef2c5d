// The notification area and popup menus: icons added, modified and deleted by the
// utility's window, the shell's callback messages for the user's mouse over an icon, a
// restart of the taskbar, and menus tracked in a modal loop until the user chooses an
// item or clicks outside. The operations are SimDesktop's, in sim_tray.cpp.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/platform.h"

struct SimTrayIcon {
    Hwnd window;
    std::uint32_t id;
    std::uint32_t callbackMessage;
    Handle icon;
    std::string tip;
};

struct SimMenuItem {
    std::string label;  // "-" for a separator
    std::uintptr_t id;
    std::uint32_t flags;
};

class SimTray {
  public:
    std::vector<SimTrayIcon> icons;  // the icons the notification area shows now
    const SimTrayIcon* FindIcon(std::uint32_t id) const;
    bool MenuOpen() const { return !tracking_.empty(); }
    int LiveMenuCount() const;

  private:
    friend class SimDesktop;
    struct Menu {
        std::vector<SimMenuItem> items;
        bool alive = true;
    };
    struct MenuTracking {
        Handle menu;
        Hwnd owner;
        bool done = false;
        std::uintptr_t chosen = 0;
    };
    std::vector<Menu> menus_;              // index + the first menu handle is the handle
    std::vector<MenuTracking*> tracking_;  // open menus, innermost last

    Menu* FindMenu(Handle menu);
};
