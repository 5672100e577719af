#pragma once

namespace axistune {

// The about box's credit line and the web address that it shows and opens.
#define AXISTUNE_ABOUT_URL "https://www.example.com/axistune"
#define AXISTUNE_ABOUT_CREDIT "Written by the AxisTune developers."

constexpr const char* kAboutUrl = AXISTUNE_ABOUT_URL;
constexpr const wchar_t* kAboutUrlWide = L"" AXISTUNE_ABOUT_URL;
constexpr const char* kAboutCredit = AXISTUNE_ABOUT_CREDIT;

}  // namespace axistune
