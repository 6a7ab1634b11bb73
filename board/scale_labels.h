#pragma once

// The scale figures standing over the board: the bearings at its four edges and the ring
// distances in cables right of the centre. The window shows them as labels over the board, and
// a saved board carries them painted in.

#include <array>

namespace varmet {

struct ScaleLabel
{
    const char *name; // the window's label
    const char *text;
    int x; // board point of the text's top-left corner
    int y;
};

inline constexpr std::array<ScaleLabel, 7> ScaleLabels {{
    {"Label4", "0", 328, 10},
    {"Label5", "180", 328, 635},
    {"Label8", "90", 628, 327},
    {"Label6", "270", 1, 327},
    {"Label1", "50", 428, 310},
    {"Label2", "100", 528, 310},
    {"Label3", "150", 628, 310},
}};

} // namespace varmet
