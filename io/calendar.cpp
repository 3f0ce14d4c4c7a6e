#include "io/calendar.hpp"

namespace cones {

bool is_leap_year(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int days_in_month(int month, int year) {
    static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && is_leap_year(year) ? 29 : kDays[month - 1];
}

int day_of_year(int day, int month, int year) {
    int result = day;
    for (int m = 1; m < month && m <= 12; ++m) result += days_in_month(m, year);
    return result;
}

}  // namespace cones
