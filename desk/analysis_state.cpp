#include "analysis_state.h"

namespace varmet {

void AnalysisState::setSigmas(const FitSigmas &sigmas)
{
    if (sigmas == m_sigmas)
        return;
    m_sigmas = sigmas;
    emit sigmasChanged();
}

void AnalysisState::forgetFits()
{
    for (std::optional<SlotFit> &fit : m_fits)
        fit.reset();
}

} // namespace varmet
