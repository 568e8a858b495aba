#pragma once

#include <QString>

#include <cstdint>

// The program's one pseudo-random generator. It is never seeded, so the same
// dictionary, settings and answers always give the same sequence of offers.
using RandomStateType = std::uint32_t;

// A whole number from 0 to n - 1 (n >= 1).
int RandomBelow(int n);
// Puts the generator back to its start-up state; for tests only.
void ResetRandomState();

// The number taken modulo 65536, right-aligned with blanks to the given width; never cut.
QString PadLeft(int number, int width);
// Two decimals with '.', halves rounded away from zero, right-aligned to 6 characters.
QString FormatFixed(double number);
// The full signed number right-aligned with blanks to the given width; never cut.
QString PadNumber(qint64 number, int width);
