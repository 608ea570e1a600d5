#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

namespace toolkit {

/// The program-wide decimal separator read by FloatToStrF and StrToFloat ('.' at start).
char DecimalSeparator();
void SetDecimalSeparator(char separator);

/// Error raised when a text is not a number; its message is shown to the user as it stands.
class ConversionError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

/// General number format: `value` rounded to `precision` significant digits (on its exact
/// decimal value, ties away from zero); fixed notation when the rounded value has at most
/// `precision` digits before the separator and is at least 0.00001 (or is zero), otherwise
/// scientific with at least `digits` exponent digits ("1E3", "1.02E3", "1E-06").
/// Trailing zeros and a bare separator are dropped.
std::string FloatToStrF(double value, int precision, int digits, char separator);
std::string FloatToStrF(double value, int precision, int digits);

/// A number as a person reads it: at most six significant digits (what a float holds, so that
/// 0.19999999f and 0.20000005f both read "0.2"), trailing zeros dropped, and in fixed notation
/// for every magnitude from 1e-6 up ("0.0004", "2500", "1234570"); a smaller non-zero one in
/// scientific ("1.5E-07"). For what is shown, never for what is stored or copied.
std::string ReadableNumber(double value, char separator);
std::string ReadableNumber(double value);

/// The shortest decimal text, written with `separator`, that StrToFloat reads back (through
/// double, then rounded to 32 bits) to exactly `value`: "0.1", "0.33333334", "1024", "1e-05".
/// Zero of either sign is "0". Used wherever a degree leaves the program at full precision.
std::string FloatToShortestStr(float value, char separator);
std::string FloatToShortestStr(float value);

/// Parses a decimal number written with `separator` (optionally with an exponent).
double StrToFloat(std::string_view text, char separator);
double StrToFloat(std::string_view text);

/// Optional sign and decimal digits, blanks around them allowed; anything else, or a value
/// outside the 32-bit range, throws ConversionError.
int StrToInt(std::string_view text);

std::string IntToStr(long long value);

/// A double as the shortest decimal text that reads back to it, with a point: "0.375",
/// "12.5", "1e-07". For numbers a file holds, whatever the locale.
std::string DoubleToStr(double value);

/// Reads a whole text written with a decimal point (as DoubleToStr writes it) into `value`;
/// false, leaving `value` alone, for anything else. Never depends on the locale.
bool ParseDouble(std::string_view text, double& value);

/// Keeps the C library's number formatting and parsing (printf, strtod) in the C locale for
/// the whole process: Qt sets every category from the user's settings at start, and libraries
/// that print numbers with the C library would otherwise write "0,5" into files.
void KeepCNumericLocale();

/// Float to integer as the program converts everywhere: toward zero, saturating at the 32-bit
/// limits instead of overflowing; NaN gives 0.
int TruncToInt(double value);

}  // namespace toolkit
