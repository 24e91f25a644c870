// Names read from a program or a manifest, as the tools show and compare
// them.
#pragma once

#include <string>

// A name fit for a one-line message or a listing: control characters (C0
// and C1) and the marks that turn the direction of text, which a hostile
// name may hold to fool the eye, are shown as '?'.
std::string printableName(const std::string& name);

// Resource names are compared as Windows compares them, without regard to
// ASCII letter case: a name in its upper-case form.
std::string upperCaseName(const std::string& name);
