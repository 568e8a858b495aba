#pragma once

class QKeyEvent;

// The drill's key codes: Enter 13, F1 112, A to Z 65 to 90, 0 to 9 48 to 57; 0 for the rest.
namespace VirtualKey {
inline constexpr int Enter = 13;
inline constexpr int F1 = 112;
} // namespace VirtualKey

int VirtualKeyCode(const QKeyEvent &event);
