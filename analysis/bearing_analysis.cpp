#include "bearing_analysis.h"

#include "chi_square.h"

#include "model/units.h"

#include <Eigen/Dense>

#include <algorithm>
#include <cmath>
#include <limits>

namespace varmet {

namespace {

constexpr long double CablesPerPx = 1 / PxPerCable;

// ---- The fit ----
//
// Parameters: the target's position (cables east, north) at a reference tick in the middle of the
// fixes, and its velocity (knots east, north). A knot is 1/360 cable a second, so both halves move
// positions by comparable amounts over the fixes and the normal equations stay well scaled.

constexpr std::size_t Parameters = 4;
constexpr long double SecondsPerCableAtOneKnot = 360;
constexpr long double DegreesPerRadian = 180 / Pi;

using Vector4 = Eigen::Matrix<long double, 4, 1>;
using Matrix4 = Eigen::Matrix<long double, 4, 4>;

// The starts along the latest bearing: distances spread evenly in ratio from 5 to 300 cables.
constexpr int StartDistances = 24;
constexpr long double NearestStart = 5;
constexpr long double FarthestStart = 300;

constexpr long double LargestDamping = 1e12L;
// Below this ratio of the smallest to the largest eigenvalue of the scaled JᵀWJ the covariance
// cannot be trusted.
constexpr long double SmallestEigenRatio = 1e-12L;
constexpr long double LargestDistanceShare = 0.3L;
// A speed below this has no course worth stating.
constexpr long double CourselessSpeed = 1e-9L;

template<typename Real>
using Vector = Eigen::Matrix<Real, 4, 1>;

// When a minimisation stops: after so many steps, or when a step lowers the cost or moves every
// parameter by less than these shares.
struct Tolerance
{
    int Iterations;
    long double CostDecrease;
    long double Step;
};
// The starts only need to find the right valley; the best of them is then polished.
constexpr Tolerance QuickSearch {30, 1e-10L, 1e-9L};
constexpr Tolerance Polish {100, 1e-15L, 1e-13L};
// The two-leg fits start at the one-leg optimum, near their own.
constexpr Tolerance TwoLegSearch {20, 1e-9L, 0};
constexpr std::size_t TwoLegParameters = 6;
// How far about the first-order estimate of the new leg (seconds) the two-leg fits look.
constexpr std::int32_t NewLegNeighbourhood = 60;

template<typename Real>
Real Fold(Real degrees)
{
    Real folded = std::fmod(degrees, Real(360));
    if (folded > 180)
        folded -= 360;
    else if (folded <= -180)
        folded += 360;
    return folded;
}

struct Minimum
{
    Vector4 X;
    long double Cost;
};

// The normal equations of a weighted least-squares cost at one point.
template<typename Real, int N>
struct NormalEquations
{
    Eigen::Matrix<Real, N, N> JtJ = Eigen::Matrix<Real, N, N>::Zero();
    Eigen::Matrix<Real, N, 1> JtR = Eigen::Matrix<Real, N, 1>::Zero();
    Real Cost = 0;

    // One weighted residual `r` with its gradient `row`.
    void Add(const Eigen::Matrix<Real, N, 1> &row, Real r)
    {
        JtJ.noalias() += row * row.transpose();
        JtR += row * r;
        Cost += r * r;
    }
};

template<typename Real, int N>
struct Descent
{
    Eigen::Matrix<Real, N, 1> X; // where it stopped
    Real Cost; // there
    Real StartCost;
};

// Levenberg–Marquardt from `x` with Marquardt's damping, scaled by the diagonal of JᵀJ:
// `normalAt(x)` gives the normal equations at x, `costAt(x)` the cost alone. It stops when no
// step lowers the cost, after tolerance.Iterations steps, or once a step lowers the cost or moves
// every parameter by less than the tolerance's shares. Absent when the start has no finite cost.
template<typename Real, int N, typename NormalAt, typename CostAt>
std::optional<Descent<Real, N>> Descend(Eigen::Matrix<Real, N, 1> x, const Tolerance &tolerance,
    const NormalAt &normalAt, const CostAt &costAt)
{
    using Vec = Eigen::Matrix<Real, N, 1>;
    NormalEquations<Real, N> normal = normalAt(x);
    if (!std::isfinite(normal.Cost))
        return std::nullopt;
    const Real startCost = normal.Cost;
    Real damping = Real(1e-3);
    for (int iteration = 0; iteration < tolerance.Iterations && normal.Cost > 0; ++iteration) {
        const Vec diagonal = normal.JtJ.diagonal();
        const Real floor
            = std::max(diagonal.maxCoeff() * Real(1e-15), std::numeric_limits<Real>::min());
        bool stepped = false;
        bool converged = false;
        while (damping <= Real(LargestDamping)) {
            Eigen::Matrix<Real, N, N> damped = normal.JtJ;
            for (int i = 0; i < N; ++i)
                damped(i, i) += damping * std::max(diagonal(i), floor);
            const Vec step = damped.ldlt().solve(-normal.JtR);
            const Vec next = x + step;
            const Real cost = step.allFinite() ? costAt(next) : normal.Cost;
            if (std::isfinite(cost) && cost < normal.Cost) {
                converged = normal.Cost - cost <= Real(tolerance.CostDecrease) * normal.Cost
                    || (step.array().abs()
                        <= Real(tolerance.Step) * (next.array().abs() + Real(1e-6)))
                           .all();
                x = next;
                normal = normalAt(x);
                damping = std::max(damping / 10, Real(1e-12));
                stepped = true;
                break;
            }
            damping *= 10;
        }
        if (!stepped || converged)
            break;
    }
    return Descent<Real, N> {x, normal.Cost, startCost};
}

// The weighted least-squares cost of the used fixes and its Levenberg–Marquardt minimisation, in
// `double` for the many starts and in `long double` for the last polish and the covariance.
template<typename Real>
class Objective
{
public:
    using Vec = Vector<Real>;
    using Mat = Eigen::Matrix<Real, 4, 4>;

    using Normal = NormalEquations<Real, 4>;

    void Add(long double tau, SeaPoint own, FixKind kind, long double value, long double weight)
    {
        m_observations.push_back({Real(tau), Real(own.East), Real(own.North),
            kind == FixKind::Bearing, Real(value), Real(weight)});
    }
    std::size_t Size() const { return m_observations.size(); }

    // The cost of the used fixes against the one-leg motion `motionAt(tau)` in force at each.
    template<typename MotionAt>
    Real CostAlong(const MotionAt &motionAt) const
    {
        Real cost = 0;
        for (const Observation &o : m_observations) {
            const Real r = TermAt(o, motionAt(o.Tau)).R;
            cost += r * r;
        }
        return cost;
    }

    Real CostAt(const Vec &x) const
    {
        return CostAlong([&](Real) -> const Vec & { return x; });
    }

    Normal NormalAt(const Vec &x) const
    {
        Normal normal;
        for (const Observation &o : m_observations) {
            const Term term = TermAt(o, x);
            normal.Add(Vec(term.dE, term.dN, term.dE * o.Tau, term.dN * o.Tau), term.R);
        }
        return normal;
    }

    // Each observation's weighted residual and its gradient in the parameters, in the order added.
    struct Row
    {
        Real R;
        Vec J;
        Real Tau;
    };
    std::vector<Row> RowsAt(const Vec &x) const
    {
        std::vector<Row> rows;
        rows.reserve(m_observations.size());
        for (const Observation &o : m_observations) {
            const Term term = TermAt(o, x);
            rows.push_back(
                {term.R, Vec(term.dE, term.dN, term.dE * o.Tau, term.dN * o.Tau), o.Tau});
        }
        return rows;
    }

    // Absent when the start gives no finite cost.
    std::optional<std::pair<Vec, Real>> Minimise(const Vec &x, const Tolerance &tolerance) const
    {
        const auto reached = Descend<Real, 4>(
            x, tolerance, [this](const Vec &at) { return NormalAt(at); },
            [this](const Vec &at) { return CostAt(at); });
        if (!reached)
            return std::nullopt;
        return std::pair {reached->X, reached->Cost};
    }

    // The two-leg model: the velocity changes once, by (x(4), x(5)) knots, at `split` (cables a
    // knot moves from the reference tick); the fixes after it see the change.
    using Vec6 = Eigen::Matrix<Real, 6, 1>;

    Real TwoLegCostAt(const Vec6 &x, Real split) const
    {
        return CostAlong([&](Real tau) { return OneLegAt(x, split, tau); });
    }

    // The two-leg model with the split fixed, fitted from the one-leg motion `start` with no
    // change of velocity: absent when the start has no finite cost.
    std::optional<Descent<Real, 6>> TwoLegFit(
        const Vec &start, Real split, const Tolerance &tolerance) const
    {
        Vec6 x;
        x << start, 0, 0;
        return Descend<Real, 6>(
            x, tolerance, [&](const Vec6 &at) { return TwoLegNormalAt(at, split); },
            [&](const Vec6 &at) { return TwoLegCostAt(at, split); });
    }

    // How much the two-leg model with the split fixed lowers the cost below the one-leg motion
    // `start` (0 when no step helps).
    Real TwoLegSaving(const Vec &start, Real split, const Tolerance &tolerance) const
    {
        const auto reached = TwoLegFit(start, split, tolerance);
        return reached ? reached->StartCost - reached->Cost : 0;
    }

    // The turn model: one speed throughout, the course turned by x(4) radians clockwise at
    // `split`; the fixes after it see the turn.
    using Vec5 = Eigen::Matrix<Real, 5, 1>;

    Real TurnCostAt(const Vec5 &x, Real split) const
    {
        return CostAlong([&](Real tau) { return TurnedAt(x, split, tau); });
    }

    // How much the turn model with the split fixed lowers the cost below the one-leg motion
    // `start`: fitted from `start` with no turn and, given the two-leg fit at the split, from its
    // first leg turned to its second leg's course. A turn the size of a zig often lies in another
    // valley of the cost than no turn does.
    Real TurnSaving(
        const Vec &start, Real split, const Tolerance &tolerance, const Vec6 *twoLeg) const
    {
        const auto fit = [&](const Vec5 &from) {
            return Descend<Real, 5>(
                from, tolerance, [&](const Vec5 &at) { return TurnNormalAt(at, split); },
                [&](const Vec5 &at) { return TurnCostAt(at, split); });
        };
        Vec5 x;
        x << start, 0;
        const auto straight = fit(x);
        if (!straight)
            return 0;
        Real cost = straight->Cost;
        if (twoLeg) {
            const Vec6 &legs = *twoLeg;
            const Real before = std::atan2(legs(2), legs(3));
            const Real after = std::atan2(legs(2) + legs(4), legs(3) + legs(5));
            x << legs.template head<4>(), std::remainder(after - before, Real(2 * Pi));
            if (const auto turned = fit(x); turned && turned->Cost < cost)
                cost = turned->Cost;
        }
        return straight->StartCost - cost;
    }

private:
    // The straight motion that places the target where the two-leg one does at `tau`.
    static Vec OneLegAt(const Vec6 &x, Real split, Real tau)
    {
        if (!(tau > split))
            return x.template head<4>();
        return Vec(x(0) - x(4) * split, x(1) - x(5) * split, x(2) + x(4), x(3) + x(5));
    }

    NormalEquations<Real, 6> TwoLegNormalAt(const Vec6 &x, Real split) const
    {
        NormalEquations<Real, 6> normal;
        for (const Observation &o : m_observations) {
            const Term term = TermAt(o, OneLegAt(x, split, o.Tau));
            const Real lever = o.Tau > split ? o.Tau - split : Real(0);
            Vec6 row;
            row << term.dE, term.dN, term.dE * o.Tau, term.dN * o.Tau, term.dE * lever,
                term.dN * lever;
            normal.Add(row, term.R);
        }
        return normal;
    }

    // The straight motion that places the target where the turned one does at `tau`.
    static Vec TurnedAt(const Vec5 &x, Real split, Real tau)
    {
        if (!(tau > split))
            return x.template head<4>();
        const Real c = std::cos(x(4));
        const Real s = std::sin(x(4));
        const Real east = c * x(2) + s * x(3);
        const Real north = c * x(3) - s * x(2);
        return Vec(x(0) + (x(2) - east) * split, x(1) + (x(3) - north) * split, east, north);
    }

    NormalEquations<Real, 5> TurnNormalAt(const Vec5 &x, Real split) const
    {
        NormalEquations<Real, 5> normal;
        const Real c = std::cos(x(4));
        const Real s = std::sin(x(4));
        for (const Observation &o : m_observations) {
            const Vec at = TurnedAt(x, split, o.Tau);
            const Term term = TermAt(o, at);
            Vec5 row;
            if (o.Tau > split) {
                const Real lever = o.Tau - split;
                const Real along = split + lever * c;
                row << term.dE, term.dN, term.dE * along - term.dN * lever * s,
                    term.dE * lever * s + term.dN * along,
                    lever * (term.dE * at(3) - term.dN * at(2));
            } else {
                row << term.dE, term.dN, term.dE * o.Tau, term.dN * o.Tau, 0;
            }
            normal.Add(row, term.R);
        }
        return normal;
    }

    struct Observation
    {
        Real Tau; // cables a knot moves from the reference tick to the fix
        Real OwnEast; // own ship at the fix
        Real OwnNorth;
        bool Bearing;
        Real Value;
        Real Weight; // 1 / sigma
    };

    // Weighted residual of one observation and its gradient in (east, north) of the target.
    struct Term
    {
        Real R;
        Real dE;
        Real dN;
    };

    static Term TermAt(const Observation &o, const Vec &x)
    {
        const Real dE = x(0) + x(2) * o.Tau - o.OwnEast;
        const Real dN = x(1) + x(3) * o.Tau - o.OwnNorth;
        const Real rangeSquared = dE * dE + dN * dN;
        if (rangeSquared == 0)
            return {o.Weight * (o.Bearing ? Fold(o.Value) : o.Value), 0, 0};
        if (o.Bearing) {
            const Real degreesPerRadian = Real(DegreesPerRadian);
            const Real predicted = degreesPerRadian * std::atan2(dE, dN);
            const Real k = o.Weight * degreesPerRadian / rangeSquared;
            return {o.Weight * Fold(o.Value - predicted), -k * dN, k * dE};
        }
        const Real range = std::sqrt(rangeSquared);
        return {o.Weight * (o.Value - range), -o.Weight * dE / range, -o.Weight * dN / range};
    }

    std::vector<Observation> m_observations;
};

// The best split of the fixes into two legs, to first order about the one-leg optimum: for each
// split, the score test of a change of velocity between two fixes (the cost a Gauss–Newton step
// of the two-leg fit would save); the split saving most wins. Returns the index of the first fix
// of the new leg, absent with under two fixes on either side.
std::optional<std::size_t> BestSplit(const std::vector<Objective<long double>::Row> &rows)
{
    using Vec2 = Eigen::Matrix<long double, 2, 1>;
    using Mat2 = Eigen::Matrix<long double, 2, 2>;
    using Mat24 = Eigen::Matrix<long double, 2, 4>;
    const std::size_t n = rows.size();
    if (n < 4)
        return std::nullopt;
    Matrix4 jtj = Matrix4::Zero();
    Vector4 jtr = Vector4::Zero();
    for (const auto &row : rows) {
        jtj.noalias() += row.J * row.J.transpose();
        jtr += row.J * row.R;
    }
    const Eigen::LDLT<Matrix4> normal(jtj);
    if (normal.info() != Eigen::Success)
        return std::nullopt;
    std::optional<std::size_t> best;
    long double bestScore = -1;
    for (std::size_t first = 2; first + 2 <= n; ++first) {
        if (!(rows[first].Tau > rows[first - 1].Tau))
            continue; // a bearing and a distance of one moment stay together
        const long double split = (rows[first].Tau + rows[first - 1].Tau) / 2;
        Mat2 xtx = Mat2::Zero();
        Mat24 xtj = Mat24::Zero();
        Vec2 xtr = Vec2::Zero();
        for (std::size_t i = first; i < n; ++i) {
            const long double lever = rows[i].Tau - split;
            const Vec2 x(rows[i].J(0) * lever, rows[i].J(1) * lever);
            xtx.noalias() += x * x.transpose();
            xtj.noalias() += x * rows[i].J.transpose();
            xtr += x * rows[i].R;
        }
        const Mat2 projected = xtx - xtj * normal.solve(xtj.transpose());
        const Vec2 score = xtr - xtj * normal.solve(jtr);
        const Eigen::LDLT<Mat2> inner(projected);
        if (inner.info() != Eigen::Success || !(projected.determinant() > 0))
            continue;
        const long double saved = score.dot(inner.solve(score));
        if (std::isfinite(saved) && saved > bestScore) {
            bestScore = saved;
            best = first;
        }
    }
    return best;
}

std::vector<Fix> UsedFixes(const FixLog &log)
{
    std::vector<Fix> used;
    for (const Fix &fix : log.Fixes())
        if (FitUses(log, fix))
            used.push_back(fix);
    return used;
}

bool AllFinite(std::initializer_list<long double> values)
{
    return std::all_of(
        values.begin(), values.end(), [](long double v) { return std::isfinite(v); });
}

// What one change of the target's motion at a split saves of the one-leg cost (σ²): a change of
// the whole velocity (two legs), and of the course alone at the same speed (a turn).
struct SplitSavings
{
    long double TwoLeg = 0;
    long double Turn = 0;
};

// The split saving most, by the tick of the first fix after it.
struct BestSaving
{
    long double Saving;
    std::int32_t Tick;
};
struct MostSavings
{
    std::optional<BestSaving> TwoLeg;
    std::optional<BestSaving> Turn;
};

class Problem
{
public:
    Problem(const std::vector<Fix> &used, const OwnShipTrack &own, const FitSettings &settings)
    {
        long double sum = 0;
        for (const Fix &fix : used)
            sum += fix.Tick;
        m_referenceTick = sum / static_cast<long double>(used.size());
        for (const Fix &fix : used) {
            m_ticks.push_back(fix.Tick);
            const long double tau = (fix.Tick - m_referenceTick) / SecondsPerCableAtOneKnot;
            const SeaPoint ownThen = own.PositionAt(fix.Tick);
            const long double weight = 1
                / (fix.Kind == FixKind::Bearing ? settings.SigmaBearingDegrees
                                                : settings.SigmaDistanceCables);
            m_quick.Add(tau, ownThen, fix.Kind, fix.Value, weight);
            m_exact.Add(tau, ownThen, fix.Kind, fix.Value, weight);
        }
    }

    // Levenberg–Marquardt from the trial motion and from distances along the latest bearing, each
    // with the trial's velocity and at rest; the lowest cost wins.
    std::optional<Minimum> BestOfStarts(
        const TargetMotion &trial, const std::vector<Fix> &used, const OwnShipTrack &own) const
    {
        std::vector<Vector4> starts {ParametersOf(trial)};
        const Vector4 trialX = starts.front();
        const Fix &latest = LatestBearingFix(used);
        const long double latestBearing = latest.Kind == FixKind::Bearing
            ? latest.Value
            : PredictedBearing(trial, own, latest.Tick);
        const SeaPoint ownThen = own.PositionAt(latest.Tick);
        const long double tau = (latest.Tick - m_referenceTick) / SecondsPerCableAtOneKnot;
        const long double ratio = FarthestStart / NearestStart;
        const long double bearing = DegreesToRadians(latestBearing);
        for (int k = 0; k < StartDistances; ++k) {
            const long double distance = NearestStart
                * std::pow(ratio, static_cast<long double>(k) / (StartDistances - 1));
            const long double east = ownThen.East + distance * std::sin(bearing);
            const long double north = ownThen.North + distance * std::cos(bearing);
            for (const bool moving : {true, false}) {
                const long double vE = moving ? trialX(2) : 0;
                const long double vN = moving ? trialX(3) : 0;
                starts.push_back(Vector4(east - vE * tau, north - vN * tau, vE, vN));
            }
        }
        std::optional<std::pair<Vector<double>, double>> best;
        for (const Vector4 &start : starts) {
            const auto found = m_quick.Minimise(start.cast<double>(), QuickSearch);
            if (found && (!best || found->second < best->second))
                best = found;
        }
        if (!best)
            return std::nullopt;
        const auto polished = m_exact.Minimise(best->first.cast<long double>(), Polish);
        if (!polished)
            return std::nullopt;
        return Minimum {polished->first, polished->second};
    }

    // What one change at `splitTick` saves: of the whole velocity (two legs), and, if `turn`,
    // of the course alone.
    SplitSavings SavingsAt(const Minimum &minimum, long double splitTick, bool turn) const
    {
        const Vector<double> start = minimum.X.cast<double>();
        const double split = TauOf(splitTick);
        const auto clean
            = [](long double saving) { return std::isfinite(saving) ? std::max(saving, 0.0L) : 0; };
        SplitSavings savings;
        const auto twoLeg = m_quick.TwoLegFit(start, split, TwoLegSearch);
        if (twoLeg)
            savings.TwoLeg = clean(twoLeg->StartCost - twoLeg->Cost);
        if (turn)
            savings.Turn = clean(
                m_quick.TurnSaving(start, split, TwoLegSearch, twoLeg ? &twoLeg->X : nullptr));
        return savings;
    }

    // The generalised likelihood ratios of one change against none: the most the fits with the
    // change save over the splits between two fixes with two report times or more on either side
    // whose first fix after the split lies between `from` and `to`, each with that fix's tick. The
    // turn only if asked; both absent with too few fixes.
    MostSavings MostSaving(
        const Minimum &minimum, long double from, long double to, bool turn) const
    {
        std::vector<std::int32_t> ticks = m_ticks;
        std::sort(ticks.begin(), ticks.end());
        ticks.erase(std::unique(ticks.begin(), ticks.end()), ticks.end());
        MostSavings most;
        if (m_quick.Size() <= TwoLegParameters || ticks.size() < 4)
            return most;
        const auto keep
            = [](std::optional<BestSaving> &best, long double saving, std::int32_t tick) {
                  if (!best || saving > best->Saving)
                      best = BestSaving {saving, tick};
              };
        for (std::size_t first = 2; first + 2 <= ticks.size(); ++first) {
            if (ticks[first] < from || ticks[first] > to)
                continue;
            const long double split = (ticks[first - 1] + ticks[first]) / 2.0L;
            const SplitSavings savings = SavingsAt(minimum, split, turn);
            keep(most.TwoLeg, savings.TwoLeg, ticks[first]);
            if (turn)
                keep(most.Turn, savings.Turn, ticks[first]);
        }
        return most;
    }

    TargetMotion MotionAt(const Minimum &minimum, std::int32_t nowTick) const
    {
        const Vector4 &x = minimum.X;
        const long double tauNow = (nowTick - m_referenceTick) / SecondsPerCableAtOneKnot;
        const long double speed = std::hypot(x(2), x(3));
        return {{x(0) + x(2) * tauNow, x(1) + x(3) * tauNow}, nowTick,
            speed >= CourselessSpeed ? SeaBearing({}, {x(2), x(3)}) : 0, speed};
    }

    ManoeuvreTest Test(const Minimum &minimum, const FitSettings &settings) const
    {
        const auto rows = m_exact.RowsAt(minimum.X);
        ManoeuvreTest test;
        test.SigmaBearing = settings.SigmaBearingDegrees;
        long double up = 0;
        long double down = 0;
        for (const auto &row : rows) {
            test.ChiSquare += row.R * row.R;
            up = std::max(0.0L, up + row.R - settings.CusumDrift);
            down = std::max(0.0L, down - row.R - settings.CusumDrift);
        }
        test.Cusum = std::max(up, down);
        test.CusumLimit = settings.CusumLimit;
        test.Freedom = rows.size() > Parameters ? rows.size() - Parameters : 0;
        if (test.Freedom > 0)
            test.ChiSquareLimit = ChiSquareLimit(ManoeuvreTest::FalseAlarm, test.Freedom);
        const std::int32_t latest = *std::max_element(m_ticks.begin(), m_ticks.end());
        const MostSavings window
            = MostSaving(minimum, latest - settings.TwoLegWindow, latest, true);
        if (window.TwoLeg) {
            test.TwoLegSaving = window.TwoLeg->Saving;
            test.TwoLegLimit = settings.TwoLegLimit;
        }
        if (window.Turn) {
            test.TurnSaving = window.Turn->Saving;
            test.TurnLimit = settings.TurnLimit;
        }
        // The new leg where the turn fits place it best, among the splits of the window and those
        // about the first-order estimate, which looks over all fixes; where the two-leg fits,
        // when two legs explain the fixes clearly better than a turn (the speed changed too).
        if (const std::optional<std::size_t> first = BestSplit(rows)) {
            const std::int32_t estimate = m_ticks[*first];
            const MostSavings near = MostSaving(
                minimum, estimate - NewLegNeighbourhood, estimate + NewLegNeighbourhood, true);
            const auto better = [](std::optional<BestSaving> a, std::optional<BestSaving> b) {
                return b && (!a || b->Saving > a->Saving) ? b : a;
            };
            const auto twoLeg = better(window.TwoLeg, near.TwoLeg);
            const auto turn = better(window.Turn, near.Turn);
            const bool speedChanged = twoLeg && turn
                && twoLeg->Saving - turn->Saving > ChiSquareLimit(ManoeuvreTest::FalseAlarm, 1);
            test.NewLegTick = turn && !speedChanged ? turn->Tick : twoLeg ? twoLeg->Tick : estimate;
        }
        return test;
    }

    FitResult Solution(const Minimum &minimum, const OwnShipTrack &own, std::int32_t nowTick,
        const ManoeuvreTest &test) const
    {
        const auto normal = m_exact.NormalAt(minimum.X);
        const std::size_t redundancy
            = m_exact.Size() > Parameters ? m_exact.Size() - Parameters : 1;
        const long double misfit = normal.Cost / static_cast<long double>(redundancy);
        // No straight course fits: whatever else fails, the likely reason is the target's turn.
        const bool manoeuvre = test.Fires();
        const auto failure = [manoeuvre](FitFailure otherwise) -> FitResult {
            return manoeuvre ? FitFailure::TargetManoeuvred : otherwise;
        };

        const std::optional<Matrix4> covariance = Covariance(normal.JtJ);
        if (!covariance || !std::isfinite(misfit))
            return failure(FitFailure::Singular);
        const Vector4 &x = minimum.X;
        const long double tauNow = (nowTick - m_referenceTick) / SecondsPerCableAtOneKnot;
        const SeaPoint at {x(0) + x(2) * tauNow, x(1) + x(3) * tauNow};
        const SeaPoint ownNow = own.PositionAt(nowTick);
        const long double dE = at.East - ownNow.East;
        const long double dN = at.North - ownNow.North;
        const long double distance = std::hypot(dE, dN);
        const long double speed = std::hypot(x(2), x(3));
        if (!AllFinite({at.East, at.North, speed, distance}))
            return failure(FitFailure::Singular);
        if (distance < CourselessSpeed)
            return failure(FitFailure::DistanceUncertain);

        // Rows: course, speed, distance, bearing, as functions of (position now, velocity).
        Matrix4 g = Matrix4::Zero();
        const bool hasCourse = speed >= CourselessSpeed;
        if (hasCourse) {
            g(0, 2) = DegreesPerRadian * x(3) / (speed * speed);
            g(0, 3) = -DegreesPerRadian * x(2) / (speed * speed);
            g(1, 2) = x(2) / speed;
            g(1, 3) = x(3) / speed;
        }
        g(2, 0) = dE / distance;
        g(2, 1) = dN / distance;
        g(3, 0) = DegreesPerRadian * dN / (distance * distance);
        g(3, 1) = -DegreesPerRadian * dE / (distance * distance);
        // (position now, velocity) from the parameters.
        Matrix4 t = Matrix4::Identity();
        t(0, 2) = tauNow;
        t(1, 3) = tauNow;
        const Matrix4 jacobian = g * t;
        const Matrix4 carried = jacobian * *covariance * jacobian.transpose();
        const Matrix4 stateNow = t * *covariance * t.transpose();
        const auto sd = [&](int row) { return std::sqrt(std::max(carried(row, row), 0.0L)); };

        FitSolution solution;
        solution.Course = hasCourse ? SeaBearing({}, {x(2), x(3)}) : 0;
        solution.Speed = speed;
        solution.Distance = distance;
        solution.Bearing = SeaBearing(ownNow, at);
        solution.SdCourse = hasCourse ? sd(0) : 180;
        solution.SdSpeed = sd(1);
        solution.SdDistance = sd(2);
        solution.SdBearing = sd(3);
        solution.Motion = {at, nowTick, solution.Course, solution.Speed};
        solution.Used = m_exact.Size();
        solution.Misfit = misfit;
        solution.ManoeuvreSuspected = manoeuvre;
        for (int row = 0; row < 4; ++row)
            for (int column = 0; column < 4; ++column)
                solution.Covariance[static_cast<std::size_t>(row * 4 + column)]
                    = stateNow(row, column);
        if (!AllFinite(
                {solution.SdCourse, solution.SdSpeed, solution.SdDistance, solution.SdBearing}))
            return failure(FitFailure::Singular);
        if (solution.SdDistance > LargestDistanceShare * distance)
            return failure(FitFailure::DistanceUncertain);
        return solution;
    }

private:
    double TauOf(long double tick) const
    {
        return static_cast<double>((tick - m_referenceTick) / SecondsPerCableAtOneKnot);
    }

    Vector4 ParametersOf(const TargetMotion &motion) const
    {
        const SeaPoint at = motion.PositionAt(m_referenceTick);
        const long double course = DegreesToRadians(motion.Course);
        return {
            at.East, at.North, motion.Speed * std::sin(course), motion.Speed * std::cos(course)};
    }

    static const Fix &LatestBearingFix(const std::vector<Fix> &used)
    {
        const Fix *latest = nullptr;
        for (const Fix &fix : used)
            if (fix.Kind == FixKind::Bearing && (!latest || fix.Tick >= latest->Tick))
                latest = &fix;
        // Distances only: the latest of them, whose bearing the trial has to supply.
        return latest ? *latest : used.back();
    }

    // The inverse of JᵀJ, unless it is singular or too ill-conditioned to trust.
    static std::optional<Matrix4> Covariance(const Matrix4 &jtj)
    {
        Vector4 scale;
        for (int i = 0; i < 4; ++i) {
            if (!(jtj(i, i) > 0) || !std::isfinite(jtj(i, i)))
                return std::nullopt;
            scale(i) = 1 / std::sqrt(jtj(i, i));
        }
        const Matrix4 scaled = scale.asDiagonal() * jtj * scale.asDiagonal();
        const Eigen::SelfAdjointEigenSolver<Matrix4> eigen(scaled);
        if (eigen.info() != Eigen::Success)
            return std::nullopt;
        const Vector4 values = eigen.eigenvalues(); // ascending
        if (!(values(0) > SmallestEigenRatio * values(3)))
            return std::nullopt;
        const Matrix4 inverseScaled = eigen.eigenvectors() * values.cwiseInverse().asDiagonal()
            * eigen.eigenvectors().transpose();
        return scale.asDiagonal() * inverseScaled * scale.asDiagonal();
    }

    Objective<double> m_quick;
    Objective<long double> m_exact;
    std::vector<std::int32_t> m_ticks; // of the observations, in order
    long double m_referenceTick = 0;
};

} // namespace

SeaPoint TargetMotion::PositionAt(long double tick) const
{
    const SeaPoint velocity = SeaVelocity(Course, Speed);
    const long double seconds = tick - AtTick;
    return {At.East + velocity.East * seconds, At.North + velocity.North * seconds};
}

TargetMotion TrialMotion(const TargetSlot &slot, const OwnShipTrack &own, std::int32_t nowTick)
{
    const SeaPoint ownNow = own.PositionAt(nowTick);
    // Board y grows southward.
    const SeaPoint at {ownNow.East + (slot.PosX - BoardCenter) * CablesPerPx,
        ownNow.North - (slot.PosY - BoardCenter) * CablesPerPx};
    return {at, nowTick, slot.TargetCourse, slot.TargetSpeed};
}

long double PredictedBearing(const TargetMotion &target, const OwnShipTrack &own, long double tick)
{
    return SeaBearing(own.PositionAt(tick), target.PositionAt(tick));
}

long double PredictedDistance(const TargetMotion &target, const OwnShipTrack &own, long double tick)
{
    return SeaDistance(own.PositionAt(tick), target.PositionAt(tick));
}

long double FoldBearing(long double degrees)
{
    return Fold(degrees);
}

std::optional<long double> Residual(
    const Fix &fix, const TargetMotion &target, const OwnShipTrack &own)
{
    const SeaPoint from = own.PositionAt(fix.Tick);
    const SeaPoint to = target.PositionAt(fix.Tick);
    if (fix.Kind == FixKind::Distance)
        return fix.Value - SeaDistance(from, to);
    if (from.East == to.East && from.North == to.North)
        return std::nullopt;
    return FoldBearing(fix.Value - SeaBearing(from, to));
}

FitLight LightOf(long double rmsDegrees)
{
    if (rmsDegrees <= 1)
        return FitLight::Green;
    if (rmsDegrees <= 3)
        return FitLight::Amber;
    return FitLight::Red;
}

std::optional<ResidualSummary> SummariseBearingResiduals(
    const FixLog &log, const TargetMotion &target, const OwnShipTrack &own)
{
    std::vector<long double> residuals;
    for (const Fix &fix : log.Fixes()) {
        if (fix.Kind != FixKind::Bearing || !FitUses(log, fix))
            continue;
        if (const std::optional<long double> residual = Residual(fix, target, own))
            residuals.push_back(*residual);
    }
    return SummariseResiduals(residuals);
}

std::optional<ResidualSummary> SummariseResiduals(const std::vector<long double> &bearingResiduals)
{
    ResidualSummary summary;
    long double sumSquares = 0;
    for (const long double residual : bearingResiduals) {
        sumSquares += residual * residual;
        if (std::fabs(residual) > std::fabs(summary.Largest))
            summary.Largest = residual;
        ++summary.Count;
    }
    if (summary.Count == 0)
        return std::nullopt;
    summary.Rms = std::sqrt(sumSquares / static_cast<long double>(summary.Count));
    summary.Light = LightOf(summary.Rms);
    return summary;
}

std::optional<long double> BearingRateDegreesPerMinute(const TargetSlot &slot)
{
    const long double x = slot.PosX - BoardCenter;
    const long double y = slot.PosY - BoardCenter;
    const long double rangeSquared = x * x + y * y;
    if (rangeSquared == 0)
        return std::nullopt;
    // The tick moves the target RelSpeed / 180 px a second along RelCourse (screen angle - 90).
    const long double screen = DegreesToRadians(slot.RelCourse - 90);
    const long double vx = std::cos(screen) * slot.RelSpeed / SecondsPerPxAtOneKnot;
    const long double vy = std::sin(screen) * slot.RelSpeed / SecondsPerPxAtOneKnot;
    // Bearing = atan2(east, north) with east = x, north = -y.
    const long double radiansPerSecond = (x * vy - y * vx) / rangeSquared;
    return RadiansToDegrees(radiansPerSecond) * 60;
}

bool FitUses(const FixLog &log, const Fix &fix)
{
    return !fix.Estimate && (!log.NewLegTick || fix.Tick >= *log.NewLegTick);
}

bool OwnShipManoeuvredOverFixes(const FixLog &log, const OwnShipTrack &own)
{
    std::optional<std::int32_t> first;
    std::optional<std::int32_t> last;
    for (const Fix &fix : log.Fixes()) {
        if (!FitUses(log, fix))
            continue;
        first = std::min(first.value_or(fix.Tick), fix.Tick);
        last = std::max(last.value_or(fix.Tick), fix.Tick);
    }
    return first && own.ManoeuvredBetween(*first, *last);
}

FitResult Fit(const FixLog &log, const OwnShipTrack &own, const TargetMotion &trial,
    std::int32_t nowTick, const FitSettings &settings)
{
    return Analyse(log, own, trial, nowTick, settings).Result;
}

FitAnalysis Analyse(const FixLog &log, const OwnShipTrack &own, const TargetMotion &trial,
    std::int32_t nowTick, const FitSettings &settings)
{
    const bool settingsValid = std::isfinite(settings.SigmaBearingDegrees)
        && std::isfinite(settings.SigmaDistanceCables) && settings.SigmaBearingDegrees > 0
        && settings.SigmaDistanceCables > 0;
    if (!settingsValid)
        return {FitFailure::InvalidSettings, std::nullopt, std::nullopt};

    const std::vector<Fix> used = UsedFixes(log);
    if (used.size() < Parameters)
        return {FitFailure::TooFewFixes, std::nullopt, std::nullopt};
    const auto [firstTick, lastTick] = std::minmax_element(
        used.begin(), used.end(), [](const Fix &a, const Fix &b) { return a.Tick < b.Tick; });
    const bool anyDistance = std::any_of(
        used.begin(), used.end(), [](const Fix &fix) { return fix.Kind == FixKind::Distance; });
    // Bearings alone from one steady leg fit every solution scaled about own ship equally well.
    if (!anyDistance && !own.ManoeuvredBetween(firstTick->Tick, lastTick->Tick))
        return {FitFailure::OwnShipNotManoeuvred, std::nullopt, std::nullopt};

    const Problem problem(used, own, settings);
    const std::optional<Minimum> best = problem.BestOfStarts(trial, used, own);
    if (!best)
        return {FitFailure::Singular, std::nullopt, std::nullopt};
    const ManoeuvreTest test = problem.Test(*best, settings);
    return {problem.Solution(*best, own, nowTick, test), test, problem.MotionAt(*best, nowTick)};
}

namespace {

enum class Change { Velocity, Course };

std::optional<long double> SavingAt(const FixLog &log, const OwnShipTrack &own,
    const TargetMotion &trial, long double splitTick, const FitSettings &settings, Change change)
{
    if (!(settings.SigmaBearingDegrees > 0) || !(settings.SigmaDistanceCables > 0))
        return std::nullopt;
    const std::vector<Fix> used = UsedFixes(log);
    if (used.size() <= TwoLegParameters)
        return std::nullopt;
    const Problem problem(used, own, settings);
    const std::optional<Minimum> best = problem.BestOfStarts(trial, used, own);
    if (!best)
        return std::nullopt;
    const SplitSavings savings = problem.SavingsAt(*best, splitTick, change == Change::Course);
    return change == Change::Course ? savings.Turn : savings.TwoLeg;
}

} // namespace

std::optional<long double> TwoLegSavingAt(const FixLog &log, const OwnShipTrack &own,
    const TargetMotion &trial, long double splitTick, const FitSettings &settings)
{
    return SavingAt(log, own, trial, splitTick, settings, Change::Velocity);
}

std::optional<long double> TurnSavingAt(const FixLog &log, const OwnShipTrack &own,
    const TargetMotion &trial, long double splitTick, const FitSettings &settings)
{
    return SavingAt(log, own, trial, splitTick, settings, Change::Course);
}

} // namespace varmet
