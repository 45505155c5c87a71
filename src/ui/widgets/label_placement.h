#pragma once
// Where to put the labels of a chart's lines so that no two overlap: each label as near its line
// as the others allow. Pure arithmetic, no widgets.
#include <vector>

namespace vex::ui {

// The positions of labels wanted at `wanted` (any order) along one axis, in the same order: at
// least `gap` apart, inside [low, high], keeping their order, and moved as little as possible (least
// squares). When [low, high] cannot hold them `gap` apart, they share it evenly instead.
std::vector<double> spreadLabels(const std::vector<double>& wanted, double gap, double low, double high);

}  // namespace vex::ui
