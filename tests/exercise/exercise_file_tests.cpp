// Reading exercise files: the defaults, and each refusal with the field and problem it names.

#include "exercise/exercise_file.h"
#include "exercise/json_positions.h"

#include <QDir>
#include <QTemporaryDir>

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

using namespace varmet;

namespace {

// A valid file with one target; `replace` swaps a piece of it for a broken one.
QByteArray File(const std::string &from = {}, const std::string &to = {})
{
    std::string text = R"({"name": "Проба", "own": {"course": 0, "speed": 6},
        "targets": [{"number": 1, "bearing": 45, "distance": 60, "course": 270, "speed": 12,
                     "manoeuvres": [{"time": 600, "course": 300, "speed": 12}]}],
        "sonar": {"sigma": 1, "interval": 30}})";
    if (!from.empty()) {
        const auto at = text.find(from);
        EXPECT_NE(at, std::string::npos) << from;
        text.replace(at, from.size(), to);
    }
    return QByteArray::fromStdString(text);
}

QString Refusal(const QByteArray &json)
{
    const ExerciseParse parsed = ParseExercise(json, "файл");
    const auto *refusal = std::get_if<ExerciseRefusal>(&parsed);
    return refusal ? refusal->Message : QStringLiteral("(accepted)");
}

} // namespace

TEST(ExerciseFile, DefaultsFillWhatTheFileLeavesOut)
{
    const ExerciseParse parsed = ParseExercise(File(R"("name": "Проба", )", ""), "crossing");
    ASSERT_TRUE(std::holds_alternative<ExerciseDefinition>(parsed));
    const auto &d = std::get<ExerciseDefinition>(parsed);
    EXPECT_EQ(d.Name, "crossing");
    EXPECT_EQ(d.Targets.at(0).Length, 100);
    EXPECT_EQ(d.Targets.at(0).Manoeuvres.at(0).Time, 600);
    EXPECT_EQ(d.Tolerances.Course, 5);
    EXPECT_EQ(d.Tolerances.Speed, 1);
    EXPECT_EQ(d.Tolerances.DistancePercent, 5);
    EXPECT_FALSE(d.Sonar.Range);
    EXPECT_FALSE(d.TimeLimit);
    EXPECT_FALSE(d.Seed);
}

struct RefusalCase
{
    const char *from;
    const char *to;
    const char *message;
};

class ExerciseFileRefusal : public testing::TestWithParam<RefusalCase>
{
};

TEST_P(ExerciseFileRefusal, NamesTheFieldAndTheProblem)
{
    const RefusalCase &c = GetParam();
    EXPECT_EQ(Refusal(File(c.from, c.to)).toStdString(), c.message);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Cases, ExerciseFileRefusal, testing::Values(
    RefusalCase {R"("sonar": {"sigma": 1, "interval": 30}})", R"("sonar": {"sigma": 1, "interval": 30})",
        "файл не является документом JSON: объект не закрыт (строка 4, столбец 46)"},
    RefusalCase {R"("own": {"course": 0, "speed": 6},)", "", "поле «own» (строка 1, столбец 1): поле отсутствует"},
    RefusalCase {R"("course": 0, "speed": 6})", R"("course": 400, "speed": 6})",
        "поле «own.course» (строка 1, столбец 27): значение 400 вне пределов 0…359"},
    RefusalCase {R"("speed": 6})", R"("speed": 6.5})", "поле «own.speed» (строка 1, столбец 40): ожидается целое число"},
    RefusalCase {R"("name": "Проба")", R"("name": "  ")", "поле «name» (строка 1, столбец 2): ожидается непустая строка"},
    RefusalCase {R"("number": 1)", R"("number": 11)", "поле «targets[0].number» (строка 2, столбец 22): значение 11 вне пределов 1…10"},
    RefusalCase {R"("bearing": 45)", R"("bearing": 360)", "поле «targets[0].bearing» (строка 2, столбец 35): значение 360 вне пределов [0…360)"},
    RefusalCase {R"("distance": 60)", R"("distance": 0)", "поле «targets[0].distance» (строка 2, столбец 50): значение 0 вне пределов (0…300]"},
    RefusalCase {R"("course": 270)", R"("course": "запад")", "поле «targets[0].course» (строка 2, столбец 66): ожидается число"},
    RefusalCase {R"(, "speed": 12,)", R"(,)", "поле «targets[0].speed» (строка 2, столбец 21): поле отсутствует"},
    RefusalCase {R"("speed": 12,)", R"("speed": 12, "length": -5,)", "поле «targets[0].length» (строка 2, столбец 94): значение -5 вне пределов (0…500]"},
    RefusalCase {R"("speed": 12,)", R"("speed": 12, "colour": "серый",)", "поле «targets[0].colour» (строка 2, столбец 94): неизвестное поле"},
    RefusalCase {R"("time": 600)", R"("time": 0)", "поле «targets[0].manoeuvres[0].time» (строка 3, столбец 38): манёвр в прошлом: 0 с — не позже начала учения"},
    RefusalCase {R"([{"time": 600, "course": 300, "speed": 12}])",
        R"([{"time": 600, "course": 300, "speed": 12}, {"time": 300, "course": 0, "speed": 5}])",
        "поле «targets[0].manoeuvres[1].time» (строка 3, столбец 81): манёвр в прошлом: 300 с — не позже предыдущего манёвра (600 с)"},
    RefusalCase {R"("course": 300,)", R"("course" 300,)", "файл не является документом JSON: нет двоеточия после имени поля (строка 3, столбец 61)"},
    RefusalCase {R"("targets": [{"number": 1,)", R"("targets": [{"number": 2, "bearing": 1, "distance": 1, "course": 1, "speed": 1}, {"number": 2,)",
        "поле «targets[1].number» (строка 2, столбец 91): номер 2 уже есть у цели targets[0]"},
    RefusalCase {R"("targets": [{)", R"("targets": [1, 2, 3, 4, 5, {)", "поле «targets» (строка 2, столбец 9): целей 6, а слотов только 5"},
    RefusalCase {R"("sonar": {"sigma": 1, "interval": 30})", R"("sonar": {"sigma": -1, "interval": 30})",
        "поле «sonar.sigma» (строка 4, столбец 19): значение -1 вне пределов [0…30]"},
    RefusalCase {R"("interval": 30)", R"("interval": 0)", "поле «sonar.interval» (строка 4, столбец 31): значение 0 вне пределов 1…3600"},
    RefusalCase {R"("interval": 30})", R"("interval": 30}, "tolerances": {"distance": 0})",
        "поле «tolerances.distance» (строка 4, столбец 63): значение 0 вне пределов (0…100]"},
    RefusalCase {R"("interval": 30})", R"("interval": 30}, "time_limit": 0)", "поле «time_limit» (строка 4, столбец 48): значение 0 вне пределов 1…86400"},
    RefusalCase {R"("sonar": {)", R"("hydrophone": {)", "поле «sonar» (строка 1, столбец 1): поле отсутствует"}));
// clang-format on

TEST(ExerciseFile, RefusesWhatIsNoExerciseAtAll)
{
    EXPECT_EQ(Refusal("[]"), "файл должен содержать объект JSON");
    EXPECT_EQ(Refusal(File(R"("targets": [)", R"("targets": [], "x": [)")),
        "поле «targets» (строка 2, столбец 9): нет ни одной цели");
    const ExerciseParse missing = ReadExerciseFile("/nonexistent/учение.json");
    ASSERT_TRUE(std::holds_alternative<ExerciseRefusal>(missing));
    EXPECT_TRUE(std::get<ExerciseRefusal>(missing).Message.startsWith(
        "Учение «/nonexistent/учение.json» не начато: файл не найден"));
}

// A name given twice: the library would keep the last without a word.
TEST(ExerciseFile, ANameGivenTwiceInAnObjectIsRefused)
{
    EXPECT_EQ(Refusal(File(R"("speed": 6})", R"("speed": 6, "speed": 50})")),
        "поле «own.speed» указано дважды");
    EXPECT_EQ(Refusal(File(R"("sonar": {)", R"("sonar": {"sig\u006da": 2, )")),
        "поле «sonar.sigma» указано дважды");
    // An escaped quote inside a name ends no name.
    EXPECT_TRUE(Refusal(File(R"({"name")", R"({"\"x": 1, "name")")).endsWith("неизвестное поле"));
}

// Only regular files: a device is never read without end, a named pipe never waited on.
TEST(ExerciseFile, ADeviceOrANamedPipeIsRefusedWithoutReading)
{
    const auto refusal = [](const QString &path) {
        const ExerciseParse parsed = ReadExerciseFile(path);
        const auto *refused = std::get_if<ExerciseRefusal>(&parsed);
        return refused ? refused->Message : QStringLiteral("(accepted)");
    };
    EXPECT_EQ(refusal("/dev/zero"),
        "Учение «/dev/zero» не начато: это файл устройства, а не обычный файл.");
    QTemporaryDir dir;
    const QString fifo = dir.filePath("pipe.json");
    ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const QString loop = dir.filePath("loop.json");
    ASSERT_EQ(symlink("loop.json", QFile::encodeName(loop).constData()), 0);
    EXPECT_EQ(refusal(loop),
        QStringLiteral(
            "Учение «%1» не начато: символические ссылки на пути к файлу образуют петлю.")
            .arg(loop));
    EXPECT_EQ(refusal(fifo),
        QStringLiteral("Учение «%1» не начато: это именованный канал, а не обычный файл.")
            .arg(fifo));
}

TEST(ExerciseFile, PlacesCountLinesAndCharactersNotBytes)
{
    // Two-byte letters before the place, an escaped name, a list inside a list.
    const QByteArray text = "{\"имя\": \"Ёж\",\n \"a\\u0062\": [[1, 2], {\"c\": 3}]}";
    EXPECT_EQ(PositionAt(text, text.indexOf(',')), (TextPosition {1, 13}));
    const auto places = LocateJsonValues(text);
    EXPECT_EQ(places.at("ab"), (TextPosition {2, 2}));
    EXPECT_EQ(places.at("ab[0][1]"), (TextPosition {2, 18}));
    EXPECT_EQ(places.at("ab[1].c"), (TextPosition {2, 23}));
    EXPECT_TRUE(LocateJsonValues("{\"a\": ").empty());
}

TEST(ExerciseFile, ShippedExercisesAreFoundBesideTheProgramFirst)
{
    QTemporaryDir root;
    ASSERT_TRUE(QDir(root.path()).mkpath("usr/bin"));
    const QString program = root.filePath("usr/bin");
    const QString source = root.filePath("src/exercises");
    EXPECT_FALSE(ShippedExercisesFolder(program, source));
    ASSERT_TRUE(QDir(root.path()).mkpath("src/exercises"));
    EXPECT_EQ(ShippedExercisesFolder(program, source), source);
    ASSERT_TRUE(QDir(root.path()).mkpath("usr/share/varmet/exercises"));
    EXPECT_EQ(ShippedExercisesFolder(program, source), root.filePath("usr/share/varmet/exercises"));
}
