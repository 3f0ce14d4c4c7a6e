// Gregorian calendar of the run date.
#pragma once

namespace cones {

// Gregorian leap year: divisible by 4 and not by 100, or divisible by 400.
bool is_leap_year(int year);

// Number of days of a month (1..12) of a year.
int days_in_month(int month, int year);

// Day of the year (1 for 1 January) of a valid date.
int day_of_year(int day, int month, int year);

}  // namespace cones
