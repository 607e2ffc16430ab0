// Version data of the executable (file and product version 1.0.0.1). ELF has
// no version resource to carry it; it is kept here with the other resources
// for a Windows build's version resource, and matches the CMake project version.
#pragma once

namespace res {

inline constexpr int kFileVersion[4] = {1, 0, 0, 1};
inline constexpr const char* kFileVersionText = "1, 0, 0, 1";
inline constexpr const char* kProductVersionText = "1, 0, 0, 1";
inline constexpr const char* kFileDescription = "Tavendrillox Application";
inline constexpr const char* kInternalName = "Tavendrillox";
inline constexpr const char* kOriginalFileName = "tavendrillox";
inline constexpr const char* kProductName = "Tavendrillox Application";
inline constexpr const char* kCompanyName = "";
inline constexpr const char* kLegalTrademarks = "";

}  // namespace res
