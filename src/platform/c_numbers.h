#pragma once
// Numbers read as the "C" locale reads them, whatever locale the process has: "." is the
// decimal point, and out-of-range numbers give infinities and zeros as strtod does.
namespace routelet::platform {

double StrtodInCLocale(const char* number);

}  // namespace routelet::platform
