#include "router/SailPolars.h"

#include <algorithm>
#include <cmath>

SailPolars::SailPolars(const std::map<int, Polar>& sails, double angleStep)
    : sails(sails)
{
    int steps = static_cast<int>(std::ceil(180.0 / angleStep - 1e-9));
    for (int k = 0; k <= steps; ++k)
        angles.push_back(std::min(k * angleStep, 180.0));
    for (const auto& [number, polar] : sails) {
        for (const auto& row : polar.values) {
            for (double value : row)
                fastest = std::max(fastest, value);
        }
    }
}

SailPolars::Choice SailPolars::best(double angle, double windSpeed) const
{
    Choice choice;
    for (const auto& [number, polar] : sails) {
        double speed = polarSpeed(polar, angle, windSpeed);
        if (speed > choice.speed)
            choice = { speed, number };
    }
    return choice;
}

void SailPolars::bestOnGrid(double windSpeed, std::vector<Choice>& choices) const
{
    choices.resize(angles.size());
    for (size_t k = 0; k < angles.size(); ++k)
        choices[k] = best(angles[k], windSpeed);
}

double SailPolars::speed(int sail, double angle, double windSpeed) const
{
    auto found = sails.find(sail);
    return found == sails.end() ? 0.0 : polarSpeed(found->second, angle, windSpeed);
}
