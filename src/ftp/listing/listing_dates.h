#pragma once
// The dates of listing lines: numeric dates in the orders servers use,
// month-name dates in many languages, the CJK year/month/day forms (their
// signs are read in cjk_dates.h), and the year a date without one belongs
// to. The times of day they carry are read in listing_clocks.h.

#include "ftp/listing/line_tokens.h"
#include "ftp/listing/listing_clocks.h"
#include "ftp/listing_entry.h"

#include <optional>
#include <string_view>

namespace ftp::listing {

bool validDate(int year, int month, int day);

// A two-digit year: 70..99 are 1970..1999, the rest this century.
int fullYear(int twoDigitYear);

// The year of a date printed without one ("Dec 7 09:37"): this year, unless
// that lies more than a day after `now` (a server clock a little ahead is
// forgiven), then the year before; for "Feb 29" the leap year at or before it.
int yearOf(int month, int day, int hour, int minute, const DateTime& now);

// One token of digits and separators: "2023-12-07", "2023/12/07",
// "12-07-23", "12/07/2023", "07.12.2023". Year first, else month first with
// "-" and "/" (day first when the first number cannot be a month), day first
// with "." (month first when the second cannot be one).
std::optional<DateTime> parseNumericDate(std::string_view token);

// A date that starts at word `i` of a line and ends before a name.
struct DateSpan {
    std::optional<DateTime> date;  // nothing: the form is plain but not understood
    std::size_t next = 0;          // the first word after the date
    std::size_t blanksAfter = 1;   // blanks that separate it from what follows
};

// The date forms of Unix-like lines, tried at word `i`.
std::optional<DateSpan> parseDateAt(const LineTokens& tokens, std::size_t i, const DateTime& now);

// A date of a shape we know whose words we do not ("Foo 7 09:37", a month in
// a language missing from our table): the words it takes, no date.
std::optional<DateSpan> parseUnknownDateAt(const LineTokens& tokens, std::size_t i);

} // namespace ftp::listing
