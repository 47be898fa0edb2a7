#include "records/LevelResult.h"

#include <cstdint>
#include <limits>

#include "records/RecordBytes.h"

namespace {

// (x - a) / (b - a) in single precision, clamped to [0, 1]; 0 when a = b. A
// NaN (from a damaged time in the profile file) gives 0, so that every points
// value below stays a small whole number.
float inverseLerpClamped(double a, double b, double x) {
    if (a == b) return 0.0f;
    const float r = static_cast<float>(x - a) / static_cast<float>(b - a);
    if (!(r > 0.0f)) return 0.0f;
    return r > 1.0f ? 1.0f : r;
}

// ratio x maximum in single precision, truncated; ratio is in [0, 1].
int32_t pointsOf(float ratio, int32_t maximum) { return static_cast<int32_t>(ratio * static_cast<float>(maximum)); }

// Sums from the file may be anything: add wide and keep within 32 bits.
int32_t addSaturated(int32_t a, int32_t b) {
    const int64_t sum = int64_t{a} + int64_t{b};
    if (sum > std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
    if (sum < std::numeric_limits<int32_t>::min()) return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(sum);
}

struct Category {
    int32_t maximum;
    int32_t points;
    bool measured;  // false: nothing to measure, so never perfect
};

// A gathered share: the maximum when there is nothing to gather.
Category gatheredShare(int32_t total, int32_t gathered, int32_t maximum) {
    if (total <= 0) return {maximum, maximum, false};
    return {maximum, pointsOf(inverseLerpClamped(0.0, total, gathered), maximum), true};
}

}  // namespace

void LevelResult::reset() {
    *this = LevelResult{};
    empty = 1;
}

void LevelResult::computeScore() {
    const bool bonus = bonusLevel != 0;
    const int32_t maxTime = bonus ? 0 : 100;
    const int32_t maxApples = bonus ? 0 : (bonusApples > 0 ? 500 : 600);
    const int32_t maxBonusApples = (!bonus && bonusApples > 0) ? 100 : 0;
    const int32_t maxSweets = bonus ? 1000 : 100;
    const int32_t maxSecrets = bonus ? 0 : 100;
    const int32_t maxLives = bonus ? 0 : 100;
    const int32_t maxApplesLost = bonus ? 0 : 100;

    Category timeCat{maxTime, maxTime, false};
    if (parTime > 0.0) {
        timeCat.points = pointsOf(inverseLerpClamped(2.0 * parTime, parTime + 1.0, time), maxTime);
        timeCat.measured = true;
    }
    const Category appleCat = gatheredShare(apples, applesGathered, maxApples);
    const Category bonusAppleCat = gatheredShare(bonusApples, bonusApplesGathered, maxBonusApples);
    const Category sweetCat = gatheredShare(sweets, sweetsGathered, maxSweets);
    const Category secretCat = gatheredShare(secrets, secretsFound, maxSecrets);
    // 100, 75, 50, 25 and 0 for 0, 1, 2, 3 and 4 or more lives lost.
    const Category livesCat{maxLives, pointsOf(inverseLerpClamped(4.0, 0.0, livesLost), maxLives), true};
    // The share of the required apples that was lost.
    Category lostCat{maxApplesLost, maxApplesLost, true};
    if (apples > 0) lostCat.points = pointsOf(inverseLerpClamped(0.0, apples, applesLost), maxApplesLost);

    const Category* const cats[7] = {&timeCat, &appleCat, &bonusAppleCat, &sweetCat, &secretCat, &livesCat, &lostCat};
    for (int i = 0; i < 7; ++i) {
        const Category& c = *cats[i];
        perfect[i] = (c.measured && c.maximum > 0 && c.points == c.maximum) ? 1 : 0;
    }
    timePoints = timeCat.points;
    applePoints = appleCat.points;
    bonusApplePoints = bonusAppleCat.points;
    sweetPoints = sweetCat.points;
    secretPoints = secretCat.points;
    livesPoints = livesCat.points;
    applesLostPoints = lostCat.points;

    const int64_t sum = int64_t{timePoints} + applePoints + bonusApplePoints + sweetPoints + secretPoints + livesPoints;
    score = static_cast<int32_t>(sum);
    perfect[PERFECT_SCORE] = (sum == kMaxScore) ? 1 : 0;
}

void LevelResult::mergeBest(const LevelResult& attempt) {
    const bool wasEmpty = empty != 0;
    bonusLevel = attempt.bonusLevel;
    const bool normal = bonusLevel == 0;

    newRecord[RECORD_POINTS] = 0;
    if (attempt.points > points) {
        points = attempt.points;
        newRecord[RECORD_POINTS] = 1;
    }

    parTime = attempt.parTime;

    newRecord[RECORD_TIME] = 0;
    if (wasEmpty || attempt.time < time) {
        time = attempt.time;
        newRecord[RECORD_TIME] = (normal || time < parTime) ? 1 : 0;
    }

    auto takeMore = [this](int32_t& total, int32_t& got, int32_t attemptTotal, int32_t attemptGot, int flag) {
        total = attemptTotal;
        newRecord[flag] = 0;
        if (attemptGot > got) {
            got = attemptGot;
            newRecord[flag] = 1;
        }
    };
    takeMore(apples, applesGathered, attempt.apples, attempt.applesGathered, RECORD_APPLES);
    takeMore(bonusApples, bonusApplesGathered, attempt.bonusApples, attempt.bonusApplesGathered, RECORD_BONUS_APPLES);
    takeMore(sweets, sweetsGathered, attempt.sweets, attempt.sweetsGathered, RECORD_SWEETS);
    takeMore(secrets, secretsFound, attempt.secrets, attempt.secretsFound, RECORD_SECRETS);

    newRecord[RECORD_LIVES_LOST] = 0;
    if (wasEmpty || attempt.livesLost < livesLost) {
        livesLost = attempt.livesLost;
        newRecord[RECORD_LIVES_LOST] = normal ? 1 : 0;
    }

    newRecord[RECORD_APPLES_LOST] = 0;
    if (wasEmpty || attempt.applesLost < applesLost) {
        applesLost = attempt.applesLost;
        newRecord[RECORD_APPLES_LOST] = 1;
    }

    if (wasEmpty || attempt.frameRate < frameRate) frameRate = attempt.frameRate;

    computeScore();
    empty = 0;
}

void LevelResult::accumulate(const LevelResult& other) {
    bonusLevel = 0;
    points = addSaturated(points, other.points);
    time += other.time;
    parTime += other.parTime;
    apples = addSaturated(apples, other.apples);
    applesGathered = addSaturated(applesGathered, other.applesGathered);
    bonusApples = addSaturated(bonusApples, other.bonusApples);
    bonusApplesGathered = addSaturated(bonusApplesGathered, other.bonusApplesGathered);
    sweets = addSaturated(sweets, other.sweets);
    sweetsGathered = addSaturated(sweetsGathered, other.sweetsGathered);
    secrets = addSaturated(secrets, other.secrets);
    secretsFound = addSaturated(secretsFound, other.secretsFound);
    livesLost = addSaturated(livesLost, other.livesLost);
    applesLost = addSaturated(applesLost, other.applesLost);
    frameRate = addSaturated(frameRate, other.frameRate);
    computeScore();
    empty = 0;
}

void LevelResult::addAttempt(const LevelResult& run) {
    attempts = addSaturated(attempts, 1);
    totalTime += run.time;
    totalLivesLost = addSaturated(totalLivesLost, run.livesLost);
    totalApplesLost = addSaturated(totalApplesLost, run.applesLost);
}

int LevelResult::repairLoadedTimes() {
    int repaired = 0;
    if (!(time >= 0.0)) {
        time = std::numeric_limits<double>::infinity();
        ++repaired;
    }
    if (!(totalTime >= 0.0)) {
        totalTime = 0.0;
        ++repaired;
    }
    return repaired;
}

void LevelResult::write(RecordWriter& out) const {
    out.u8(bonusLevel);
    out.bytes(pad01);
    out.i32(points);
    out.f64(time);
    out.f64(parTime);
    for (int32_t v : {apples, applesGathered, bonusApples, bonusApplesGathered, sweets, sweetsGathered, secrets,
                      secretsFound, livesLost, applesLost, timePoints, applePoints, bonusApplePoints, sweetPoints,
                      secretPoints, livesPoints, applesLostPoints, score}) {
        out.i32(v);
    }
    out.bytes(perfect);
    out.bytes(newRecord);
    out.i32(attempts);
    out.bytes(pad74);
    out.f64(totalTime);
    out.i32(totalLivesLost);
    out.i32(totalApplesLost);
    out.u8(completed);
    out.u8(unlocked);
    out.bytes(pad8a);
    out.i32(frameRate);
    out.u8(empty);
    out.bytes(pad91);
}

void LevelResult::read(RecordReader& in) {
    bonusLevel = in.u8();
    in.bytes(pad01);
    points = in.i32();
    time = in.f64();
    parTime = in.f64();
    for (int32_t* v : {&apples, &applesGathered, &bonusApples, &bonusApplesGathered, &sweets, &sweetsGathered, &secrets,
                       &secretsFound, &livesLost, &applesLost, &timePoints, &applePoints, &bonusApplePoints,
                       &sweetPoints, &secretPoints, &livesPoints, &applesLostPoints, &score}) {
        *v = in.i32();
    }
    in.bytes(perfect);
    in.bytes(newRecord);
    attempts = in.i32();
    in.bytes(pad74);
    totalTime = in.f64();
    totalLivesLost = in.i32();
    totalApplesLost = in.i32();
    completed = in.u8();
    unlocked = in.u8();
    in.bytes(pad8a);
    frameRate = in.i32();
    empty = in.u8();
    in.bytes(pad91);
}
