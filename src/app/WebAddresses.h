#pragma once
// The maker's web addresses that the window and the info box open.
inline constexpr const char* kProductName = "Corvane Pico Vand";
inline constexpr const char* kMakerAddress = "www.corvane.example";
inline constexpr const char* kHomePage = "https://www.corvane.example/";
inline constexpr const char* kProductPage = "https://www.corvane.example/picovand/";
inline constexpr const char* kManualPage = "https://www.corvane.example/picovand/handbuch/";
inline constexpr const char* kSupportPage = "https://www.corvane.example/support/";
inline constexpr const char* kQuestionsPage = "https://www.corvane.example/picovand/fragen/";
