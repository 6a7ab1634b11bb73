#include "analysis_texts.h"

#include <cmath>
#include <cstdlib>

namespace varmet {

QString FixedText(long double value, int decimals)
{
    long long scale = 1;
    for (int i = 0; i < decimals; ++i)
        scale *= 10;
    const long long scaled = std::llrint(value * scale);
    const long long magnitude = std::llabs(scaled);
    QString text = QString::number(magnitude / scale);
    if (decimals > 0)
        text += QStringLiteral(".%1").arg(magnitude % scale, decimals, 10, QLatin1Char('0'));
    return scaled < 0 ? QStringLiteral("-") + text : text;
}

QString TickTimeText(std::int32_t tick)
{
    return QStringLiteral("%1:%2:%3")
        .arg(tick / 3600)
        .arg(tick / 60 % 60, 2, 10, QLatin1Char('0'))
        .arg(tick % 60, 2, 10, QLatin1Char('0'));
}

QString FailureText(FitFailure failure)
{
    switch (failure) {
    case FitFailure::TooFewFixes:
        return QStringLiteral("Решения нет: мало замеров (нужно не менее 4 пеленгов или замер "
                              "дистанции). Дистанцию по этим пеленгам найти нельзя: продолжайте "
                              "пеленговать, ПЛ должна сменить курс.");
    case FitFailure::OwnShipNotManoeuvred:
        return QStringLiteral("Дистанцию по этим пеленгам найти нельзя: ПЛ шла одним курсом и "
                              "скоростью, и любое решение, подобное относительно ПЛ, сходится с "
                              "пеленгами одинаково. ПЛ должна сменить курс (или введите "
                              "дистанцию).");
    case FitFailure::DistanceUncertain:
        return QStringLiteral("Дистанцию по этим пеленгам найти нельзя: ее ошибка больше 30 % "
                              "дистанции. ПЛ должна сменить курс, чтобы пеленги ее определили.");
    case FitFailure::Singular:
        return QStringLiteral("Дистанцию по этим пеленгам найти нельзя: задача вырождена. ПЛ "
                              "должна сменить курс.");
    case FitFailure::TargetManoeuvred:
        return QStringLiteral("Решения нет: ни один прямолинейный курс цели не согласуется с "
                              "пеленгами (невязка больше 9). Цель, вероятно, маневрировала: "
                              "отметьте «Новый галс» и рассчитайте по замерам после маневра.");
    case FitFailure::InvalidSettings:
        return QStringLiteral("Решения нет: σ пеленга и σ дистанции должны быть больше нуля.");
    }
    return {};
}

QString SolutionText(const FitSolution &solution, std::int32_t solvedTick)
{
    return QStringLiteral("Решение на %1 по %2 замерам:\n"
                          "Кц %3° ± %4°,  Vц %5 уз ± %6\n"
                          "Д %7 кбт ± %8,  П %9° ± %10°\n"
                          "Нормированная невязка %11")
        .arg(TickTimeText(solvedTick))
        .arg(solution.Used)
        .arg(FixedText(solution.Course, 1), FixedText(solution.SdCourse, 1),
            FixedText(solution.Speed, 1), FixedText(solution.SdSpeed, 1),
            FixedText(solution.Distance, 1), FixedText(solution.SdDistance, 1),
            FixedText(solution.Bearing, 1), FixedText(solution.SdBearing, 1),
            FixedText(solution.Misfit, 2));
}

QString ManoeuvreText(const FitSolution &solution)
{
    if (!solution.ManoeuvreSuspected)
        return {};
    return QStringLiteral("Невязка %1 намного больше 1: цель, вероятно, маневрировала. Отметьте "
                          "«Новый галс» и рассчитайте по замерам после маневра.")
        .arg(FixedText(solution.Misfit, 1));
}

QString SummaryText(const ResidualSummary &summary)
{
    return QStringLiteral("Пробное решение: СКО невязок %1°, наибольшая %2° (пеленгов: %3)")
        .arg(FixedText(summary.Rms, 1), FixedText(summary.Largest, 1))
        .arg(summary.Count);
}

} // namespace varmet
