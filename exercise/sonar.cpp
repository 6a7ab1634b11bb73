#include "sonar.h"

#include <cmath>
#include <cstring>
#include <numbers>
#include <sstream>

namespace varmet {

NoiseSource::NoiseSource(std::uint64_t seed)
    : m_engine(seed)
{ }

double NoiseSource::uniform()
{
    // 53 random bits, shifted off zero so that the logarithm below is finite.
    return static_cast<double>((m_engine() >> 11) + 1) * 0x1p-53;
}

double NoiseSource::Normal()
{
    if (m_spare) {
        const double spare = *m_spare;
        m_spare.reset();
        return spare;
    }
    const double radius = std::sqrt(-2.0 * std::log(uniform()));
    const double angle = 2.0 * std::numbers::pi * uniform();
    m_spare = radius * std::sin(angle);
    return radius * std::cos(angle);
}

std::string NoiseSource::Save() const
{
    std::ostringstream out;
    out << m_engine << ' ';
    if (m_spare) {
        std::uint64_t bits = 0;
        static_assert(sizeof bits == sizeof *m_spare);
        std::memcpy(&bits, &*m_spare, sizeof bits);
        out << "spare " << bits;
    } else {
        out << "nospare";
    }
    return out.str();
}

std::optional<NoiseSource> NoiseSource::Restore(const std::string &text)
{
    std::istringstream in(text);
    NoiseSource source;
    in >> source.m_engine;
    std::string word;
    in >> word;
    if (!in)
        return std::nullopt;
    if (word == "spare") {
        std::uint64_t bits = 0;
        in >> bits;
        if (!in)
            return std::nullopt;
        double spare = 0;
        std::memcpy(&spare, &bits, sizeof spare);
        source.m_spare = spare;
    } else if (word != "nospare") {
        return std::nullopt;
    }
    in >> word;
    if (!in.eof())
        return std::nullopt; // something after the state
    return source;
}

bool IsReportTime(const SonarSettings &sonar, std::int32_t seconds)
{
    return seconds >= 0 && seconds % sonar.Interval == 0;
}

std::optional<SonarReport> TakeBearing(const SonarSettings &sonar, std::int32_t targetNumber,
    SeaPoint own, SeaPoint target, std::int32_t seconds, NoiseSource &noise)
{
    if (sonar.Range && SeaDistance(own, target) > *sonar.Range)
        return std::nullopt;
    const long double measured
        = SeaBearing(own, target) + static_cast<long double>(sonar.BearingSigma) * noise.Normal();
    long long whole = std::llrint(measured) % 360;
    if (whole < 0)
        whole += 360;
    return SonarReport {seconds, targetNumber, static_cast<std::int32_t>(whole)};
}

} // namespace varmet
