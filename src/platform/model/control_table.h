#pragma once
// Small helpers for writing window tables.
#include <string>
#include <vector>

#include "controls.h"

namespace kestrova {

inline std::string Numbered(const char* prefix, int n) { return prefix + std::to_string(n); }

// Binds the typed controls named prefix1..prefixN of a form into an array
// indexed from 1 (index 0 stays empty), as the routines address them.
template <typename T, typename FormT, size_t N>
void BindNumbered(const FormT& form, const char* prefix, int first, T* (&slots)[N]) {
    slots[0] = nullptr;
    for (size_t i = 1; i < N; ++i) slots[i] = &form.template Get<T>(Numbered(prefix, first + static_cast<int>(i) - 1));
}

}  // namespace kestrova
