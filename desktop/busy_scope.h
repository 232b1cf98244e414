// BusyScope: shows the window's busy cursor for as long as it lives, around
// the blocking engine and converter calls.
#pragma once

#include "desktop/window_port.h"

namespace LeveloraDesk {

class BusyScope {
  public:
    explicit BusyScope(WindowPort& window) : window_(window) { window_.SetBusy(true); }
    ~BusyScope() { window_.SetBusy(false); }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

  private:
    WindowPort& window_;
};

}  // namespace LeveloraDesk
