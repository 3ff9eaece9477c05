// Reads the number written inside a tunable-value call in source text, for
// the developer tool that reloads such values while the program runs.
//
// Threads: any thread; no state.
#pragma once

// `text` points just after the call's "(": an optional "-", digits, an
// optional "." and digits, then ")" or "f)". False with out = 0.0 for
// anything else (and for a null text).
bool ParseTunableNumber(const char* text, double& out);
