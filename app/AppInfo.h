#pragma once

#include <cstdint>

// The application object: fixed when the program is built, never changed at run time.
namespace AppInfo {

inline constexpr const char* Title = "Vemo";
inline constexpr std::int16_t Major = 1;
inline constexpr std::int16_t Minor = 0;
inline constexpr std::int16_t Revision = 7;
inline constexpr const char* ExeName = "vemo";
inline constexpr const char* Organization = "Palindra";
inline constexpr const char* OrganizationDomain = "palindra.it";
inline constexpr const char* DesktopFileName = "it.palindra.Vemo";
// Four-part file version; the third field is always 0.
inline constexpr const char* FileVersion = "1.0.0.7";

} // namespace AppInfo
