// The debug log and the one-slot stopwatch that times each node's Update.
#pragma once

#include <cstdint>

// Formats one line (at most 2048 bytes with its "\r\n"), appends "\r\n" and
// hands it to the platform's log sink. Longer lines are cut, keeping "\r\n".
void DebugLog(const char* format, ...) __attribute__((format(printf, 1, 2)));

// One start slot on the performance counter.
class Stopwatch {
public:
    void Start();
    // Logs "%s took %i ms." with the milliseconds since the latest Start.
    void Stop(const char* label) const;

private:
    int64_t start_ = 0;
};

// The program's stopwatch, for timing outside a render (each render times
// its nodes with its context's own).
void StartTimer();
void StopTimer(const char* label);

// Milliseconds between two counter readings: (ticks * 1000) / frequency in
// 64-bit arithmetic, low 32 bits kept.
int32_t ElapsedMilliseconds(int64_t start, int64_t now, int64_t frequency);
