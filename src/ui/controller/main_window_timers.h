// The main window's two periodic timers.
#pragma once

namespace ui {

// Counts down and removes finished rows of the transfer list.
inline constexpr int kTransferTimerId = 1;
inline constexpr int kTransferTimerPeriodMs = 1000;

// Checks for local address changes and drives the lonely-host hint.
inline constexpr int kNetworkTimerId = 2;
inline constexpr int kNetworkTimerPeriodMs = 100;

}  // namespace ui
