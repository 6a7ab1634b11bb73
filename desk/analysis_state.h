#pragma once

// What the bearing analysis keeps beside the plot: the standard deviations the fits weigh the
// fixes with, and each slot's last fit ("Рассчитать") with what it was computed from. A fit
// never outlives the fixes or the plot it was made on.

#include "analysis/bearing_analysis.h"
#include "analysis/steering_advice.h"
#include "model/state.h"

#include <QObject>

#include <array>
#include <cstdint>
#include <deque>
#include <optional>

namespace varmet {

// σ of a bearing fix (degrees) and of a distance fix (cables).
struct FitSigmas
{
    double bearing = 1;
    double distance = 5;
    friend bool operator==(const FitSigmas &, const FitSigmas &) = default;
};

// What a fit was computed from, to tell when it goes out of date.
struct FitInputs
{
    std::deque<Fix> fixes;
    std::optional<std::int32_t> newLegTick;
    FitSigmas sigmas;
    friend bool operator==(const FitInputs &, const FitInputs &) = default;
};

struct SlotFit
{
    FitAnalysis analysis;
    std::int32_t tick = 0; // when computed
    FitInputs inputs;
    bool ownShipManoeuvred = false; // among the fixes used
    std::optional<SteeringAdvice> advice;
    std::optional<long double> hitOnFit;
};

class AnalysisState : public QObject
{
    Q_OBJECT
public:
    const FitSigmas &sigmas() const { return m_sigmas; }
    void setSigmas(const FitSigmas &sigmas);

    // Slot `number`'s (1..5) last fit, if any.
    const std::optional<SlotFit> &fit(int number) const { return m_fits.at(index(number)); }
    void setFit(int number, std::optional<SlotFit> fit)
    {
        m_fits.at(index(number)) = std::move(fit);
    }
    void forgetFit(int number) { m_fits.at(index(number)).reset(); }
    void forgetFits();

signals:
    void sigmasChanged();

private:
    static std::size_t index(int number) { return static_cast<std::size_t>(number - 1); }

    FitSigmas m_sigmas;
    std::array<std::optional<SlotFit>, SlotCount> m_fits {};
};

} // namespace varmet
