// The debug log and the one-slot stopwatch that times each node's Update.
#pragma once

#include <cstdint>

// Formats one line (at most 2048 bytes with its "\r\n"), appends "\r\n" and
// hands it to the platform's log sink. Longer lines are cut, keeping "\r\n".
void DebugLog(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Stores the performance counter in the one start slot.
void StartTimer();

// Logs "%s took %i ms." with the milliseconds since the latest StartTimer.
void StopTimer(const char* label);

// Milliseconds between two counter readings: (ticks * 1000) / frequency in
// 64-bit arithmetic, low 32 bits kept.
int32_t ElapsedMilliseconds(int64_t start, int64_t now, int64_t frequency);
