#pragma once

#include <string>
#include <vector>

// A figure to report: the time of `measured` divided by the time of `baseline`, both
// from the same run, against a goal on that ratio.
struct Ratio {
    std::string label;
    std::string measured;
    std::string baseline;
    double goal;
    // Throughput figures want the ratio of speeds (baseline time / measured time) at
    // least the goal; cost figures want the ratio of times at most the goal.
    bool higherIsBetter;
    // When set, the figure is this counter of `measured` instead, against the goal.
    std::string counter = {};
};

// Runs the registered benchmarks, then prints each ratio with its goal. Returns 0.
int runWithRatios(int argc, char** argv, const std::vector<Ratio>& ratios);
