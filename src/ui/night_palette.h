#pragma once

#include <cstdint>

namespace axistune {

// The one red-on-black palette of both windows. Green and blue stay far below red so that
// nothing on screen is bright in any but the red channel; an observer's dark adaptation
// survives red light.
struct NightColour {
    uint8_t red;
    uint8_t green;
    uint8_t blue;
};

namespace night {

constexpr NightColour kWindow{0, 0, 0};
constexpr NightColour kField{24, 0, 0};  // edits, lists: barely lighter than the window
constexpr NightColour kButton{40, 0, 0};
constexpr NightColour kText{220, 30, 30};
constexpr NightColour kBrightText{255, 60, 60};
constexpr NightColour kDisabledText{110, 16, 16};
constexpr NightColour kEdge{70, 8, 8};
constexpr NightColour kMidlight{55, 4, 4};
constexpr NightColour kMid{45, 2, 2};
constexpr NightColour kDark{20, 0, 0};
constexpr NightColour kHighlight{120, 0, 0};
constexpr NightColour kHighlightedText{255, 80, 80};
constexpr NightColour kLink{255, 70, 70};
constexpr NightColour kLinkVisited{190, 40, 40};

}  // namespace night

}  // namespace axistune
