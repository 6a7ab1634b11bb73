// Exercise files: the reader, and an accepted exercise started, one tick run and scored.

#include "fuzz_target.h"

#include "exercise/exercise.h"
#include "exercise/exercise_file.h"
#include "model/state.h"

#include <QByteArray>

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    varmet::ExerciseParse parsed = varmet::ParseExercise(bytes, QStringLiteral("fuzz"));
    auto *definition = std::get_if<varmet::ExerciseDefinition>(&parsed);
    if (!definition)
        return 0;
    const varmet::FireControlState state;
    varmet::Exercise exercise(std::move(*definition), bytes, QStringLiteral("fuzz.json"), 1, state);
    exercise.AfterTick(state);
    exercise.Truth(state);
    exercise.Score(state, true);
    return 0;
}
