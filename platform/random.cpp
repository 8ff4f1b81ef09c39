#include "platform/random.h"

#include <chrono>
#include <random>

namespace vistelle {

namespace {

class ClockSeeded : public RandomSource {
public:
    void seedFromClock() override
    {
        m_engine.seed(std::mt19937::result_type(std::chrono::steady_clock::now().time_since_epoch().count()));
    }
    int below(int n) override { return std::uniform_int_distribution<int>(0, n - 1)(m_engine); }

private:
    std::mt19937 m_engine{std::random_device{}()};
};

RandomSource* installed = nullptr;

} // namespace

RandomSource& randomSource()
{
    static ClockSeeded clockSeeded;
    return installed ? *installed : clockSeeded;
}

void setRandomSource(RandomSource* source) { installed = source; }

} // namespace vistelle
