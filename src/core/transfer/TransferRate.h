#pragma once
// The speed and time left of a running transfer, smoothed over the last few seconds of its
// progress. The clock is given, so that the arithmetic runs without waiting for real time.
#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <string>

namespace pw {

class TransferRate {
public:
    using TimePoint = std::chrono::steady_clock::time_point;
    using Clock = std::function<TimePoint()>;

    // `clock` empty: the steady clock. Speeds are averaged over `window`; Update asks for a
    // report at most once every `interval`.
    explicit TransferRate(Clock clock = {}, std::chrono::milliseconds window = kWindow,
                          std::chrono::milliseconds interval = kInterval);

    static constexpr std::chrono::milliseconds kWindow{5000};
    static constexpr std::chrono::milliseconds kInterval{500};

    // Forgets the transfer; the next Update starts a new one.
    void Reset();
    // The progress of the transfer: `done` of `total` bytes (total 0: unknown). The first call
    // after Reset, a change of the total, or a count that goes back starts a transfer whose
    // bytes so far (a resumed download's part already there) are no part of its speed.
    // True when a new speed is due to be reported.
    bool Update(int64_t done, int64_t total);

    // Bytes per second over the window; 0 before any byte has moved.
    double BytesPerSecond() const;
    // Whole seconds until done at that speed (rounded up); 0 once done; -1 when unknown (no
    // total, no speed yet, a stall, or more than fits).
    int64_t SecondsLeft() const;

private:
    struct Sample {
        TimePoint Time;
        int64_t Done;
    };

    Clock m_clock;
    std::chrono::milliseconds m_window;
    std::chrono::milliseconds m_interval;
    std::deque<Sample> m_samples; // oldest first; the first one is at or before the window
    int64_t m_total = 0;
    TimePoint m_now{};
    TimePoint m_lastReport{};
};

// The status text of a speed and time left: "1.2 MB/s, 0:42 left", "512 B/s",
// "3.0 kB/s, 1:02:03 left" (decimal units; the time left only when known); "" for a negative
// speed (no transfer runs).
std::string TransferRateText(double bytesPerSecond, int64_t secondsLeft);

} // namespace pw
