#pragma once

#include <optional>

// The main window's layout, in twips, run on every resize. Each step stands on its own: a step
// whose size would be negative is skipped and the next step uses the size as it was.
struct LayoutInput
{
    float innerWidth = 0;
    float innerHeight = 0;
    float listTop = 60;
    float listWidth = 0;  // as it is before the rule runs
    float listHeight = 0; // as it is before the rule runs
    float frameWidth = 9135;
    float frameHeight = 675;
};

struct LayoutResult
{
    std::optional<float> listWidth;
    std::optional<float> contentWidth;
    std::optional<float> expressionWidth;
    std::optional<float> listHeight;
    float frameTop = 0;
    float frameLeft = 0;
};

LayoutResult MainLayoutRule(const LayoutInput &input);
