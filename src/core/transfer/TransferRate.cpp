#include "core/transfer/TransferRate.h"

#include <cmath>

namespace pw {

TransferRate::TransferRate(Clock clock, std::chrono::milliseconds window,
                           std::chrono::milliseconds interval)
    : m_clock(clock ? std::move(clock) : Clock([] { return std::chrono::steady_clock::now(); })),
      m_window(window), m_interval(interval) {}

void TransferRate::Reset() {
    m_samples.clear();
    m_total = 0;
}

bool TransferRate::Update(int64_t done, int64_t total) {
    m_now = m_clock();
    if (m_samples.empty() || total != m_total || done < m_samples.back().Done) {
        m_samples.assign(1, {m_now, done});
        m_total = total;
        m_lastReport = m_now;
        return false;
    }
    // Samples at least a tenth of the window apart keep the list short at any speed.
    const auto spacing = m_window / 10;
    if (m_samples.size() >= 2 && m_now - m_samples[m_samples.size() - 2].Time < spacing)
        m_samples.back() = {m_now, done};
    else
        m_samples.push_back({m_now, done});
    while (m_samples.size() > 2 && m_samples[1].Time <= m_now - m_window)
        m_samples.pop_front();
    if (m_now - m_lastReport < m_interval) return false;
    m_lastReport = m_now;
    return true;
}

double TransferRate::BytesPerSecond() const {
    if (m_samples.size() < 2) return 0;
    const double seconds = std::chrono::duration<double>(m_now - m_samples.front().Time).count();
    if (seconds <= 0) return 0;
    return double(m_samples.back().Done - m_samples.front().Done) / seconds;
}

int64_t TransferRate::SecondsLeft() const {
    if (m_samples.empty() || m_total <= 0) return -1;
    const int64_t left = m_total - m_samples.back().Done;
    if (left <= 0) return 0;
    const double speed = BytesPerSecond();
    if (speed <= 0) return -1;
    const double seconds = std::ceil(double(left) / speed);
    return seconds < 9.0e18 ? int64_t(seconds) : -1;
}

namespace {
std::string TwoDigits(int64_t value) {
    std::string text = std::to_string(value);
    if (value < 10) text.insert(text.begin(), '0');
    return text;
}
} // namespace

std::string TransferRateText(double bytesPerSecond, int64_t secondsLeft) {
    if (bytesPerSecond < 0 || std::isnan(bytesPerSecond)) return "";
    // Integer arithmetic for the digits: the text does not depend on the C locale.
    std::string text;
    if (bytesPerSecond < 999.5) {
        text = std::to_string(std::llround(bytesPerSecond)) + " B/s";
    } else {
        static const char* const kUnits[] = {"kB/s", "MB/s", "GB/s", "TB/s", "PB/s", "EB/s"};
        double value = bytesPerSecond / 1000;
        size_t unit = 0;
        while (value >= 999.95 && unit + 1 < std::size(kUnits)) {
            value /= 1000;
            ++unit;
        }
        if (!(value < 1e15)) value = 1e15; // beyond any real speed; keeps the rounding defined
        const int64_t tenths = std::llround(value * 10);
        text = std::to_string(tenths / 10) + "." + std::to_string(tenths % 10) + " " + kUnits[unit];
    }
    if (secondsLeft >= 0) {
        const int64_t hours = secondsLeft / 3600, minutes = secondsLeft / 60 % 60;
        const int64_t seconds = secondsLeft % 60;
        text += ", ";
        if (hours > 0) {
            text += std::to_string(hours);
            text += ':';
            text += TwoDigits(minutes);
        } else {
            text += std::to_string(minutes);
        }
        text += ':';
        text += TwoDigits(seconds);
        text += " left";
    }
    return text;
}

} // namespace pw
