#pragma once

#include <QWidget>

namespace velmora {

class SerialLink;

// Lets a measuring or soak program drive the real program without a screen. Built
// only into velmora-automated, never into the shipped window. Does nothing unless
// the environment variable VELMORA_AUTOMATION is set; then
//   - the port prompt is answered with the variable's value once it has been painted;
//   - a message box is closed with OK as soon as it shows;
//   - each line "click NAME" on standard input clicks the window's button NAME;
//   - events go to standard error as "velmora-event MS WHAT [DETAIL]", MS being
//     steady-clock (CLOCK_MONOTONIC) milliseconds: prompt-painted, window-painted,
//     clicked, programmed, image-handled, connected, disconnected, recovered,
//     port-lost, port-back, notice.
// Install it after the controller, so that its reactions to the link come last.
void installAutomationHook(QWidget& window, SerialLink& link);

} // namespace velmora
