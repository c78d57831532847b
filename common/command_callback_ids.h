// The ids of the four command callbacks that the printer description makes
// the driver core issue.
#pragma once

#include <cstdint>

namespace lt77 {

inline constexpr uint32_t KLW_STARTDOC = 1;
inline constexpr uint32_t KLW_STARTPAGE = 2;
inline constexpr uint32_t KLW_ENDPAGE = 3;
inline constexpr uint32_t KLW_ENDDOC = 4;

}  // namespace lt77
