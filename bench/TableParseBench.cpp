#include "table/Table.h"

#include <benchmark/benchmark.h>
#include <nlohmann/json.hpp>

#include <cstdio>
#include <random>
#include <string>

namespace {

// About 1 MB of a race's boats list, the largest answer the client parses, written once
// in the table text format and once as JSON with the same fields and values.
struct Answers {
    std::string table;
    std::string json;
};

Answers makeBoatsAnswer()
{
    constexpr size_t targetSize = 1 << 20;
    std::mt19937 random(2026);
    std::uniform_real_distribution<double> latitude(-60.0, 60.0);
    std::uniform_real_distribution<double> longitude(-180.0, 180.0);
    std::uniform_real_distribution<double> angle(0.0, 360.0);
    std::uniform_real_distribution<double> knots(0.0, 25.0);

    Answers answers { "boats = {\n", "{\"boats\": [\n" };
    char line[512];
    for (int boat = 0; answers.table.size() < targetSize; ++boat) {
        double lat = latitude(random), lon = longitude(random);
        double heading = angle(random), speed = knots(random);
        int sail = 1 + boat % 2, waypoint = boat % 7, grounded = boat % 50 == 0 ? 1 : 0;
        std::snprintf(line, sizeof line,
            "  {user = %d, nick = 'Sailor %d', lat = %.6f, lon = %.6f, heading = %.2f, speed = %.3f, "
            "sail = %d, position = %d, grounded = %d, waypoint = %d, finished = 0},\n",
            1000 + boat, boat, lat, lon, heading, speed, sail, boat + 1, grounded, waypoint);
        answers.table += line;
        std::snprintf(line, sizeof line,
            "%s  {\"user\": %d, \"nick\": \"Sailor %d\", \"lat\": %.6f, \"lon\": %.6f, \"heading\": %.2f, "
            "\"speed\": %.3f, \"sail\": %d, \"position\": %d, \"grounded\": %d, \"waypoint\": %d, \"finished\": 0}",
            boat == 0 ? "" : ",\n", 1000 + boat, boat, lat, lon, heading, speed, sail, boat + 1, grounded,
            waypoint);
        answers.json += line;
    }
    answers.table += "}\n";
    answers.json += "\n]}\n";
    return answers;
}

const Answers& boatsAnswer()
{
    static const Answers answers = makeBoatsAnswer();
    return answers;
}

void parseTableFormat(benchmark::State& state)
{
    const std::string& text = boatsAnswer().table;
    for (auto _ : state) {
        Table root = parseTable(text);
        benchmark::DoNotOptimize(root);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(text.size()));
    state.counters["boats"] = double(getTable(parseTable(text), "boats")->size());
}

void parseJson(benchmark::State& state)
{
    const std::string& text = boatsAnswer().json;
    for (auto _ : state) {
        nlohmann::json root = nlohmann::json::parse(text);
        benchmark::DoNotOptimize(root);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(text.size()));
    state.counters["boats"] = double(nlohmann::json::parse(text)["boats"].size());
}

} // namespace

BENCHMARK(parseTableFormat)->Unit(benchmark::kMillisecond);
BENCHMARK(parseJson)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
