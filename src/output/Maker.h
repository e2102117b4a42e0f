#pragma once

// Velloa's own site tag and web address: in the window title, the About
// window, and the creator attribute of every GPX document.
constexpr const char* kMakerSiteTag = "velloa.example";
constexpr const char* kMakerAddress = "https://velloa.example/";
// The date shown in the window title.
constexpr const char* kTitleDate = "2019.06.26";
