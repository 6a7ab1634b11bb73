#pragma once

// How long a test waits for a window to be shown or activated, in ms. It returns as soon as the
// window is; the bound only ends a test whose window never comes, also on a machine busy enough
// to hold a test process back for seconds.
inline constexpr int WindowWait = 60000;
