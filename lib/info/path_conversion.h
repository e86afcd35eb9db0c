// The path conversions behind VorlAbs2RelPath and VorlRel2AbsPath: the
// cores run on private copies, lower-cased first where the rules fold case.
#pragma once

#include "path_rules.h"

namespace vorl {

int ConvertAbsToRel(const char *path, const char *base, char *out, int size, const host::PathRules &rules);
int ConvertRelToAbs(const char *path, const char *base, char *out, int size, const host::PathRules &rules);

}  // namespace vorl
