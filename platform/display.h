// Whether a window system can be reached, and so which face the message
// boxes of a silent run take: Qt boxes on a display, console boxes without
// one.
//
// Entry points: DisplayNamed, DisplayReachable, ChooseBoxFace.
#pragma once

namespace kv {

// True when the environment names a display at all ($QT_QPA_PLATFORM,
// $WAYLAND_DISPLAY or $DISPLAY not empty), reachable or not.
bool DisplayNamed();

// True when a display answers: a Wayland socket ($WAYLAND_DISPLAY, under
// $XDG_RUNTIME_DIR when relative), an X server ($DISPLAY: a local socket,
// or TCP for "host:N", given two seconds), or any platform the user named
// to Qt ($QT_QPA_PLATFORM). Only a connection is tried, so a display that
// answers but refuses this user still counts.
bool DisplayReachable();

enum class BoxFace { kConsole, kGui };

// $KESTRELVOX_UI = "console" or "gui" forces a face; otherwise kGui exactly
// when a display can be reached.
BoxFace ChooseBoxFace();

}  // namespace kv
