#pragma once
// Build switches: constants of this build, read at run time, never changed.

namespace vistelle::switches {

inline constexpr bool showLogoLink = true;         // the logo link in the bottom bar is shown
inline constexpr bool promptFromSetTwo = true;     // close-time set questions start at set 2
inline constexpr bool hideSetsThreeAndFour = false; // hide set choices 3 and 4 and "Add Set 3/4"
inline constexpr bool previewOnRightClick = true;  // right click on a title label opens the page preview

} // namespace vistelle::switches
