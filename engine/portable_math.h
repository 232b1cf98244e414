// PortableMath: the transcendental functions the engine's pixel and angle
// decisions rest on, computed the same way on every platform.
//
// The C runtimes disagree: the same sin, cos, tan, atan, acos or exp call
// returns results one unit in the last place apart between Linux (glibc) and
// Windows (the MinGW-w64 runtime and msvcrt.dll), and sin/cos near multiples
// of pi far more. A whole-degree histogram bin, a truncated projection
// position or a rotated output size can follow such a bit. These functions
// use only IEEE addition, subtraction, multiplication, division and square
// root (with -ffp-contract=off), so their results are bit-identical wherever
// the engine runs.
//
// Accuracy: each result is the double nearest the true value, except in
// cases rarer than one in 2^40 of the arguments (the value is evaluated in
// double-double arithmetic to about 100 bits and rounded once). Sin, Cos and
// Tan reduce arguments up to 2^30 exactly; larger arguments are first reduced
// modulo the double nearest 2 pi, so they stay deterministic but are not the
// exact sine of the argument. NaN in gives NaN out; Asin and Acos outside
// [-1, 1] and Sin, Cos, Tan of an infinity give NaN; Exp overflows to
// infinity and underflows to 0 like the standard one; Log of 0 is minus
// infinity, of a negative number NaN.
//
// Also Pow; the C runtimes' pow differs between the platforms in the same
// way.
#pragma once

namespace Skewmend::PortableMath {

double Sin(double x);
double Cos(double x);
double Tan(double x);
double Atan(double x);
double Asin(double x);
double Acos(double x);
double Exp(double x);
double Log(double x);
// x^y for x >= 0 (NaN for a negative x).
double Pow(double x, double y);

}  // namespace Skewmend::PortableMath
