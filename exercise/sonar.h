#pragma once

// The simulated sonar operator: every report interval, a bearing of each target within range,
// with normal noise, in whole degrees. The noise comes from a seeded generator whose whole state
// can be written out and read back, so that a run continued from a saved state reports exactly
// what the uninterrupted run would have.

#include "truth.h"

#include <cstdint>
#include <optional>
#include <random>
#include <string>

namespace varmet {

// Standard normal numbers: the 64-bit Mersenne twister and the Box–Muller transform,
// which yields two numbers per pair of draws; the second waits as `spare`.
class NoiseSource
{
public:
    explicit NoiseSource(std::uint64_t seed = 0);

    double Normal();

    // The whole state as text, and back; nullopt for a text that is no such state.
    std::string Save() const;
    static std::optional<NoiseSource> Restore(const std::string &text);

    friend bool operator==(const NoiseSource &, const NoiseSource &) = default;

private:
    double uniform(); // in (0, 1]

    std::mt19937_64 m_engine;
    std::optional<double> m_spare;
};

struct SonarReport
{
    std::int32_t Time = 0; // seconds since the start
    std::int32_t Target = 0; // target number
    std::int32_t Bearing = 0; // whole degrees 0..359
    friend bool operator==(const SonarReport &, const SonarReport &) = default;
};

// Whether the sonar reports at `seconds` (every interval from the start on).
bool IsReportTime(const SonarSettings &sonar, std::int32_t seconds);

// The report of one target at `seconds`, or nothing when it is beyond the detection range.
// Draws one noise number for a target within range.
std::optional<SonarReport> TakeBearing(const SonarSettings &sonar, std::int32_t targetNumber,
    SeaPoint own, SeaPoint target, std::int32_t seconds, NoiseSource &noise);

} // namespace varmet
