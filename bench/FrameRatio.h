#pragma once

// Shared by the frame benchmarks: the bare frame (one full-window texture copy and a
// present, the least any frame costs) and a console reporter that ends the run with each
// benchmark's median CPU time as a multiple of the bare frame's.

#include "base/SdlHandles.h"

#include <SDL.h>
#include <benchmark/benchmark.h>

#include <cstdio>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

// A window-sized texture of a flat colour, copied over the whole target and presented.
class BareFrame {
public:
    BareFrame(SDL_Renderer* renderer, int width, int height)
        : renderer(renderer)
        , picture(SDL_CreateTexture(renderer, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_TARGET, width, height))
    {
        if (!picture || SDL_SetRenderTarget(renderer, picture.get()) != 0)
            throw std::runtime_error(SDL_GetError());
        SDL_SetRenderDrawColor(renderer, 40, 90, 160, 255);
        SDL_RenderClear(renderer);
        SDL_SetRenderTarget(renderer, nullptr);
    }

    void frame()
    {
        SDL_RenderCopy(renderer, picture.get(), nullptr, nullptr);
        SDL_RenderPresent(renderer);
    }

private:
    SDL_Renderer* renderer;
    SdlTexture picture;
};

class FrameRatioReporter : public benchmark::ConsoleReporter {
public:
    // bareName: the name of the bare frame's benchmark, without arguments.
    explicit FrameRatioReporter(std::string bareName)
        : bareName(std::move(bareName))
    {
    }

    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const Run& run : runs) {
            bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
            if (median || (run.run_type == Run::RT_Iteration && run.repetitions <= 1))
                medians.emplace_back(run.run_name.function_name + (run.run_name.args.empty() ? "" : "/" + run.run_name.args),
                    run.GetAdjustedCPUTime());
        }
        ConsoleReporter::ReportRuns(runs);
    }

    void Finalize() override
    {
        ConsoleReporter::Finalize();
        double bare = 0.0;
        for (const auto& [name, time] : medians)
            bare = name == bareName ? time : bare;
        if (bare <= 0.0)
            return;
        for (const auto& [name, time] : medians) {
            if (name != bareName)
                std::printf("%-24s %6.1f x the bare frame (median CPU)\n", name.c_str(), time / bare);
        }
    }

private:
    std::string bareName;
    std::vector<std::pair<std::string, double>> medians;
};
