#pragma once
// The maker's pages that the window and the info box open in the browser.
#include <QString>

#include "settings/Product.h"

inline QString makerPage(const char* path = "") { return QString(pv::kMakerAddress) + path; }
inline QString manualPage() { return makerPage("/handbuch"); }
inline QString questionsPage() { return makerPage("/fragen"); }
inline QString supportPage() { return pv::kSupportAddress; }
