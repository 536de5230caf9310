// The maker's and the product's names as the windows and the task bar show them.
#pragma once

#include "PellmarkVersion.h"

namespace pellmark {

inline constexpr char kMakerName[] = "Tarnwick";
inline constexpr char kProductName[] = "Pellmark";
inline constexpr char kProductVersion[] = PELLMARK_VERSION;
// Shown by the task bar and as the title of the error report; the window caption differs.
inline constexpr char kApplicationTitle[] = "Tarnwick Pellmark v" PELLMARK_VERSION;
inline constexpr char kMainWindowCaption[] = "Tarnwick - Pellmark v" PELLMARK_VERSION;
// Opened by a click on the logo in the about box.
inline constexpr char kMakerWebAddress[] = "https://www.tarnwick.example/pellmark";

} // namespace pellmark
