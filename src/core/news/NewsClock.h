#pragma once
// The clock and time zone seen by the news engine, behind an interface so that callers
// (and tests) can fix them.

namespace pw {

struct NewsDateTime {
    int Year = 0;
    int Month = 0; // 1 to 12
    int Day = 0;   // 1 to 31
    int Hour = 0;  // 0 to 23
    int Minute = 0;
    int Second = 0;
};

class NewsClock {
public:
    virtual ~NewsClock() = default;
    // The local date and time.
    virtual NewsDateTime Now() const = 0;
    // The local zone's standard bias in minutes: UTC equals standard local time plus the
    // bias (-60 for a zone at UTC+1). Daylight saving is not part of it.
    virtual int StandardBias() const = 0;
};

// The machine's clock and time zone.
class SystemNewsClock final : public NewsClock {
public:
    NewsDateTime Now() const override;
    int StandardBias() const override;
};

// A clock that stands still, with a given zone.
class FixedNewsClock final : public NewsClock {
public:
    FixedNewsClock(NewsDateTime now, int standardBias) : m_now(now), m_bias(standardBias) {}
    NewsDateTime Now() const override { return m_now; }
    int StandardBias() const override { return m_bias; }

private:
    NewsDateTime m_now;
    int m_bias;
};

} // namespace pw
