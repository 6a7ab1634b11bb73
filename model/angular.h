#pragma once

// The firing problem by angular quantities: lead angle, torpedo path and direction of the salvo
// median, its omega and the target's advance during the run.

#include "state.h"

#include <cstdint>

namespace varmet {

// LeadAngle, LeadAngleCorr and HasLeadAngle from the bearing, target course and speed, torpedo
// speed and correction. A torpedo speed of 0 or less gives a lead angle of 0.
void ComputeLeadAngle(TargetSlot &slot, std::int32_t torpedoSpeed);

// TorpedoPathPx, SalvoMedianRaw, SalvoMedian, Omega, TargetRunPx and HasSolution. Expects
// ComputeLeadAngle to have run for the slot's present inputs. An absent solution leaves every
// result at 0 (so the true track has no length).
void ComputeAngularSolution(TargetSlot &slot, std::int32_t ownCourse, std::int32_t torpedoSpeed);

// True when a torpedo line may be drawn: |omega| < 160 and the path in metres below 0.68 of the
// maximum run (both strict).
bool IsDrawable(long double omega, long double pathPx, std::int32_t maxRun);

// The target heading angle q = (B - 180) - Kц, whole degrees, as the solutions take it
// (-539..179), and folded for "КУц" (-180..179).
long double UnfoldedHeadingAngle(const TargetSlot &slot);
long double HeadingAngle(const TargetSlot &slot);

} // namespace varmet
