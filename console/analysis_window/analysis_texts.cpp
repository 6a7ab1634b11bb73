#include "analysis_texts.h"
#include "model/number_text.h"

#include <cmath>
#include <cstdlib>

namespace varmet {

QString FixedText(long double value, int decimals)
{
    return QString::fromStdString(DecimalText(value, decimals));
}

QString TickTimeText(std::int32_t tick)
{
    return QStringLiteral("%1:%2:%3")
        .arg(tick / 3600)
        .arg(tick / 60 % 60, 2, 10, QLatin1Char('0'))
        .arg(tick % 60, 2, 10, QLatin1Char('0'));
}

QString FailureText(FitFailure failure, bool ownShipManoeuvred)
{
    switch (failure) {
    case FitFailure::TooFewFixes:
        return ownShipManoeuvred
            ? QStringLiteral("Решения нет: мало замеров (нужно не менее 4 пеленгов или замер "
                             "дистанции). Продолжайте пеленговать.")
            : QStringLiteral("Решения нет: мало замеров (нужно не менее 4 пеленгов или замер "
                             "дистанции). Дистанцию по этим пеленгам найти нельзя: продолжайте "
                             "пеленговать, ПЛ должна сменить курс.");
    case FitFailure::OwnShipNotManoeuvred:
        return QStringLiteral("Дистанцию по этим пеленгам найти нельзя: ПЛ шла одним курсом и "
                              "скоростью, и любое решение, подобное относительно ПЛ, сходится с "
                              "пеленгами одинаково. ПЛ должна сменить курс (или введите "
                              "дистанцию).");
    case FitFailure::DistanceUncertain:
        return ownShipManoeuvred
            ? QStringLiteral("Дистанцию по этим пеленгам найти нельзя: ее ошибка больше 30 % "
                             "дистанции. Маневр ПЛ среди замеров есть, но пеленгов после него "
                             "мало или он мал: продолжайте пеленговать или смените курс еще "
                             "раз.")
            : QStringLiteral("Дистанцию по этим пеленгам найти нельзя: ее ошибка больше 30 % "
                             "дистанции. ПЛ должна сменить курс, чтобы пеленги ее определили.");
    case FitFailure::Singular:
        return ownShipManoeuvred
            ? QStringLiteral("Дистанцию по этим пеленгам найти нельзя: задача вырождена, хотя "
                             "ПЛ среди замеров маневрировала. Продолжайте пеленговать или "
                             "введите дистанцию.")
            : QStringLiteral("Дистанцию по этим пеленгам найти нельзя: задача вырождена. ПЛ "
                             "должна сменить курс.");
    case FitFailure::TargetManoeuvred:
        return QStringLiteral("Решения нет: ни один прямолинейный курс цели не согласуется с "
                              "пеленгами (проверка на маневр сработала). Цель, вероятно, "
                              "маневрировала: отметьте «Новый галс» и рассчитайте по замерам "
                              "после маневра.");
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

QString TestText(const ManoeuvreTest &test)
{
    const QString chi = test.Freedom > 0 ? QStringLiteral("χ² %1 при %2 ст. св. (порог 1 %: %3)")
                                               .arg(FixedText(test.ChiSquare, 1))
                                               .arg(test.Freedom)
                                               .arg(FixedText(test.ChiSquareLimit, 1))
                                         : QStringLiteral("χ² не проверяется (замеров 4)");
    return QStringLiteral("Проверка маневра при σ П %1°: %2; накопленная сумма %3σ (порог %4σ)")
        .arg(FixedText(test.SigmaBearing, 2), chi, FixedText(test.Cusum, 1),
            FixedText(test.CusumLimit, 1));
}

QString ManoeuvreText(const ManoeuvreTest &test)
{
    if (!test.Fires())
        return {};
    QString why;
    if (test.ChiSquareFires())
        why = QStringLiteral("невязки всех замеров больше ожидаемых при σ П %1° (χ² %2 > %3)")
                  .arg(FixedText(test.SigmaBearing, 2), FixedText(test.ChiSquare, 1),
                      FixedText(test.ChiSquareLimit, 1));
    else if (test.CusumFires())
        why = QStringLiteral(
            "последние невязки уходят в одну сторону (сумма %1σ > %2σ при σ П %3°)")
                  .arg(FixedText(test.Cusum, 1), FixedText(test.CusumLimit, 1),
                      FixedText(test.SigmaBearing, 2));
    else if (test.TwoLegFires())
        why = QStringLiteral("два галса объясняют замеры лучше одного (χ² меньше на %1 > %2 при "
                             "σ П %3°)")
                  .arg(FixedText(test.TwoLegSaving, 1), FixedText(test.TwoLegLimit, 1),
                      FixedText(test.SigmaBearing, 2));
    else
        why = QStringLiteral("поворот объясняет замеры лучше одного галса (χ² меньше на %1 > %2 "
                             "при σ П %3°)")
                  .arg(FixedText(test.TurnSaving, 1), FixedText(test.TurnLimit, 1),
                      FixedText(test.SigmaBearing, 2));
    const QString when = test.NewLegTick
        ? QStringLiteral(" Новый галс цели вероятно начался к %1: «Новый галс с %1».")
              .arg(TickTimeText(*test.NewLegTick))
        : QString();
    return QStringLiteral("Цель, вероятно, маневрировала: %1.%2").arg(why, when);
}

QString AdviceText(const SteeringAdvice &advice)
{
    const QString ahead = advice.SdDistanceAhead
        ? QStringLiteral("на прежнем курсе ±%1 кбт").arg(FixedText(*advice.SdDistanceAhead, 1))
        : QStringLiteral("на прежнем курсе дистанция не определится");
    return QStringLiteral("Совет: курс ПЛ %1° при прежней скорости — через %2 мин СКО дистанции "
                          "около %3 кбт (%4).")
        .arg(FixedText(advice.Course, 0))
        .arg(advice.Minutes)
        .arg(FixedText(advice.SdDistance, 1), ahead);
}

QString HitOddsText(std::optional<long double> onFit, std::optional<long double> onConsole,
    long double targetLengthMetres, bool fitRejected)
{
    const auto odds
        = [](std::optional<long double> p) { return p ? FixedText(*p, 2) : QStringLiteral("—"); };
    // The fit's odds assume the target kept one leg; once the test says it did not, they are
    // not to be trusted, however high.
    const QString onFitText
        = odds(onFit) + (fitRejected ? QStringLiteral(" (расчет отвергнут)") : QString());
    return QStringLiteral("Вероятность попадания залпа сейчас (цель %1 м): по расчету %2, по "
                          "решению на планшете %3")
        .arg(FixedText(targetLengthMetres, 0), onFitText, odds(onConsole));
}

QString SummaryText(const ResidualSummary &summary)
{
    return QStringLiteral("Пробное решение: СКО невязок %1°, наибольшая %2° (пеленгов: %3)")
        .arg(FixedText(summary.Rms, 1), FixedText(summary.Largest, 1))
        .arg(summary.Count);
}

} // namespace varmet
