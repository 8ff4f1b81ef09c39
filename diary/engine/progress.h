#pragma once
// Progress percentages of reading and writing a table image, reported only when they change.

#include <QtGlobal>
#include <functional>

namespace vistelle {

// done × 100 / total rounded to the nearest integer, ties to even.
inline int roundedPercent(qint64 done, qint64 total)
{
    if (total <= 0) return 0;
    const qint64 num = done * 100;
    qint64 q = num / total;
    const qint64 twice = (num % total) * 2;
    if (twice > total || (twice == total && (q & 1))) ++q;
    return int(q);
}

class ProgressReporter {
public:
    explicit ProgressReporter(std::function<void(int)> callback) : m_callback(std::move(callback)) {}

    // A percentage of 0 is never reported: the count starts there.
    void report(qint64 done, qint64 total)
    {
        if (!m_callback) return;
        const int percent = roundedPercent(done, total);
        if (percent == m_last) return;
        m_last = percent;
        m_callback(percent);
    }

private:
    std::function<void(int)> m_callback;
    int m_last = 0;
};

} // namespace vistelle
