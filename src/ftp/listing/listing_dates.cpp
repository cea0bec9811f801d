#include "ftp/listing/listing_dates.h"

#include "ftp/listing/cjk_dates.h"
#include "ftp/listing/listing_clocks.h"
#include "ftp/listing/month_names.h"

#include <algorithm>

namespace ftp::listing {

namespace {

// Days since 1970-01-01 of a proleptic Gregorian date.
long long daysFromCivil(int year, int month, int day)
{
    year -= month <= 2;
    const long long era = (year >= 0 ? year : year - 399) / 400;
    const long long yearOfEra = year - era * 400;
    const long long dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const long long dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

long long minutesOf(int year, int month, int day, int hour, int minute)
{
    return daysFromCivil(year, month, day) * 1440 + hour * 60 + minute;
}

// A day column: "7", "07", and "7." or "7," as some languages print it.
std::optional<int> parseDay(std::string_view token)
{
    if (!token.empty() && (token.back() == '.' || token.back() == ','))
        token.remove_suffix(1);
    const auto day = parseSmall(token, 1, 2);
    if (!day || *day < 1 || *day > 31)
        return std::nullopt;
    return day;
}

// A year column: "2023", also "2023." and "2023,".
std::optional<int> parseYear(std::string_view token, bool needDot = false)
{
    const bool dotted = !token.empty() && (token.back() == '.' || token.back() == ',');
    if (dotted)
        token.remove_suffix(1);
    if (needDot && !dotted)
        return std::nullopt;
    const auto year = parseSmall(token, 4, 4);
    if (!year || !validDate(*year, 1, 1))
        return std::nullopt;
    return year;
}

// English day names, which ctime-style dates put first: "Thu Dec  7 09:37:12 2023".
// Asked of every owner and group column, so without a loop over the names.
bool isWeekday(std::string_view word)
{
    if (word.size() != 3)
        return false;
    const char a = lowerAscii(word[0]);
    const char b = lowerAscii(word[1]);
    const char c = lowerAscii(word[2]);
    switch (a) {
    case 'm': return b == 'o' && c == 'n';
    case 't': return (b == 'u' && c == 'e') || (b == 'h' && c == 'u');
    case 'w': return b == 'e' && c == 'd';
    case 'f': return b == 'r' && c == 'i';
    case 's': return (b == 'a' && c == 't') || (b == 'u' && c == 'n');
    default: return false;
    }
}

// Only a word with a "-" or "/" inside can hold a month between numbers.
bool hasDateSeparator(std::string_view word)
{
    for (char c : word) {
        if (c == '-' || c == '/')
            return true;
    }
    return false;
}

DateTime dated(int year, int month, int day, const Clock& clock = {})
{
    return DateTime{year, month, day, clock.hour, clock.minute, clock.second};
}

// The time that may follow a date complete without one: nothing when the
// line is not understood (a word shaped like a time that is none), else the
// date with the time if there is one, and the first word after both.
std::optional<DateSpan> withOptionalClock(const LineTokens& tokens, std::size_t j, const DateTime& date)
{
    if (const auto time = parseClockAt(tokens, j)) {
        DateTime t = date;
        t.hour = time->clock.hour;
        t.minute = time->clock.minute;
        t.second = time->clock.second;
        return DateSpan{t, j + time->words};
    }
    if (looksLikeClock(tokens.text(j)))
        return std::nullopt;
    return DateSpan{date, j};
}

// Serbian puts "у" ("at", "u" in Latin letters) before the time.
bool isAtWord(std::string_view word) { return word == "\xd1\x83" || word == "u"; }

// After month and day: "09:37" (this year or the last), "09:37:12 2023" as
// BSD "ls -T" prints it, "2023", or "2023 09:37".
std::optional<DateSpan> finishWithClockOrYear(const LineTokens& tokens, std::size_t j, int month, int day,
                                              const DateTime& now)
{
    // "Feb 30" is no date in any year.
    if (!validDate(2000, month, day))
        return std::nullopt;
    if (isAtWord(tokens.text(j)) && (parseClock(tokens.text(j + 1)) || parseDottedClock(tokens.text(j + 1))))
        ++j;
    const std::string_view word = tokens.text(j);
    if (const auto clock = parseDottedClock(word))
        return DateSpan{dated(yearOf(month, day, clock->hour, clock->minute, now), month, day, *clock), j + 1};
    if (const auto clock = parseClock(word)) {
        if (clock->withSeconds) {
            if (const auto year = parseYear(tokens.text(j + 1)); year && validDate(*year, month, day))
                return DateSpan{dated(*year, month, day, *clock), j + 2};
        }
        return DateSpan{dated(yearOf(month, day, clock->hour, clock->minute, now), month, day, *clock), j + 1};
    }
    if (const auto year = parseYear(word); year && validDate(*year, month, day))
        return withOptionalClock(tokens, j + 1, dated(*year, month, day));  // "Dec 07 2023 09:37 name"
    return std::nullopt;
}

// A month as a number with its dot: "12.".
std::optional<int> dottedMonthNumber(std::string_view word)
{
    if (word.size() < 2 || word.back() != '.')
        return std::nullopt;
    const auto month = parseSmall(word.substr(0, word.size() - 1), 1, 2);
    if (!month || *month < 1 || *month > 12)
        return std::nullopt;
    return month;
}

// Vietnamese names its months "Thg 1".."Thg 12", a word and a number: the
// month at word `j`, if that is its form.
std::optional<int> vietnameseMonth(const LineTokens& tokens, std::size_t j)
{
    if (!equalsIgnoringCase(tokens.text(j), "thg"))
        return std::nullopt;
    const auto month = parseSmall(tokens.text(j + 1), 1, 2);
    if (!month || *month < 1 || *month > 12)
        return std::nullopt;
    return month;
}

// "Dec 7 09:37", "Dec  7  2023", "dec 07, 2023", "M\xe4r 7 09:37", "Thg 12  7 09:37".
std::optional<DateSpan> monthFirst(const LineTokens& tokens, std::size_t i, const DateTime& now)
{
    // The number of "Thg 12" reads as a day too, so this test comes first
    // and the Vietnamese one only for a word that is no month.
    const auto day = parseDay(tokens.text(i + 1));
    if (!day)
        return std::nullopt;
    const auto month = monthNumber(tokens.text(i));
    if (!month) {
        const auto vietnamese = vietnameseMonth(tokens, i);
        const auto dayAfter = vietnamese ? parseDay(tokens.text(i + 2)) : std::nullopt;
        return dayAfter ? finishWithClockOrYear(tokens, i + 3, *vietnamese, *dayAfter, now) : std::nullopt;
    }
    return finishWithClockOrYear(tokens, i + 2, *month, *day, now);
}

// "07 Dec 09:37", "7 Dec 2023", "7. Dez 09:37", "7 Thg 12 2023".
std::optional<DateSpan> dayFirst(const LineTokens& tokens, std::size_t i, const DateTime& now)
{
    const std::string_view dayWord = tokens.text(i);
    const auto day = parseDay(dayWord);
    if (!day)
        return std::nullopt;
    std::size_t monthAt = i + 1;
    // Catalan, Spanish and Portuguese may say "7 de des." and "3 d'oct.".
    if (equalsIgnoringCase(tokens.text(monthAt), "de"))
        ++monthAt;
    std::string_view monthWord = tokens.text(monthAt);
    if (startsWithIgnoringCase(monthWord, "d'"))
        monthWord.remove_prefix(2);
    else if (startsWithIgnoringCase(monthWord, "d\xe2\x80\x99"))
        monthWord.remove_prefix(4);
    auto month = monthNumber(monthWord);
    if (!month && dayWord.back() == '.')
        month = dottedMonthNumber(monthWord);  // Finnish: "21. 9. 10:00"
    if (!month) {
        const auto vietnamese = vietnameseMonth(tokens, i + 1);
        return vietnamese ? finishWithClockOrYear(tokens, i + 3, *vietnamese, *day, now) : std::nullopt;
    }
    auto span = finishWithClockOrYear(tokens, monthAt + 1, *month, *day, now);
    // German "ls" pads the year of "7. Dez 2023" to the width of a time:
    // the blank after it is the date's, the next one the separator.
    if (span && dayWord.back() == '.' && span->next == monthAt + 2 && parseYear(tokens.text(monthAt + 1))) {
        const std::string_view line = tokens.line();
        const std::size_t end = tokens[monthAt + 1].end;
        if (end + 2 < line.size() && isBlank(line[end]) && isBlank(line[end + 1]))
            span->blanksAfter = 2;
    }
    return span;
}

// "2023. dec. 7.", "2023. dec. 7. 09:37" and "2023. 12. 7." as Hungarian and
// Korean print them: the year must carry its dot, or a size of 2023 before
// an ordinary "Dec 7" date would be read as a year.
std::optional<DateSpan> yearFirst(const LineTokens& tokens, std::size_t i)
{
    const auto year = parseYear(tokens.text(i), true);
    if (!year)
        return std::nullopt;
    auto month = monthNumber(tokens.text(i + 1));
    if (!month)
        month = dottedMonthNumber(tokens.text(i + 1));
    const auto day = parseDay(tokens.text(i + 2));
    if (!month || !day || !validDate(*year, *month, *day))
        return std::nullopt;
    return withOptionalClock(tokens, i + 3, dated(*year, *month, *day));
}

// "2023 dec   7" and "2023  abe  7" of Hungarian and Basque "ls", the year
// without its dot. A size of 2023 before a "Dec  7 09:37" or "Dec  7  2022"
// date looks the same up to the day, so a time or year after it rules this out.
std::optional<DateSpan> yearFirstUndotted(const LineTokens& tokens, std::size_t i)
{
    const std::string_view yearWord = tokens.text(i);
    if (yearWord.size() != 4)
        return std::nullopt;
    const auto year = parseYear(yearWord);
    const auto month = year ? monthNumber(tokens.text(i + 1)) : std::nullopt;
    const auto day = month ? parseDay(tokens.text(i + 2)) : std::nullopt;
    if (!day || !validDate(*year, *month, *day))
        return std::nullopt;
    const std::string_view after = tokens.text(i + 3);
    if (looksLikeClock(after) || parseYear(after) || parseDottedClock(after))
        return std::nullopt;
    return DateSpan{dated(*year, *month, *day), i + 3};
}

// "7.12. 09:37" and "07.12.  2023": day and month with their dots, then a
// time (this year or the last) or a year, as "ls" prints them in some
// Nordic and German-speaking setups.
std::optional<DateSpan> dayMonthDotted(const LineTokens& tokens, std::size_t i, const DateTime& now)
{
    const std::string_view word = tokens.text(i);
    const auto dot = word.find('.');
    if (word.size() < 4 || word.back() != '.' || dot == std::string_view::npos || dot + 1 >= word.size() - 1)
        return std::nullopt;
    const auto day = parseSmall(word.substr(0, dot), 1, 2);
    const auto month = parseSmall(word.substr(dot + 1, word.size() - dot - 2), 1, 2);
    if (!day || !month || !validDate(2000, *month, *day))
        return std::nullopt;
    return finishWithClockOrYear(tokens, i + 1, *month, *day, now);
}

// A month name between numbers in one word: "7-Dec-2023", "2023-Dec-07",
// "Dec-07-2023", with "-" or "/", as VMS-minded and some embedded servers print.
std::optional<DateSpan> monthInNumbers(const LineTokens& tokens, std::size_t i)
{
    const std::string_view word = tokens.text(i);
    const auto first = word.find_first_of("-/");
    if (first == std::string_view::npos || first == 0)
        return std::nullopt;
    const auto second = word.find(word[first], first + 1);
    if (second == std::string_view::npos)
        return std::nullopt;
    std::string_view parts[3] = {word.substr(0, first), word.substr(first + 1, second - first - 1), word.substr(second + 1)};
    int named = -1;
    int month = 0;
    for (int k = 0; k < 3; ++k) {
        if (parts[k].empty() || isDigit(parts[k][0]))
            continue;
        const auto number = monthNumber(parts[k]);
        if (!number || named >= 0)
            return std::nullopt;
        named = k;
        month = *number;
    }
    if (named < 0)
        return std::nullopt;
    // The year is the four-digit number, or the last one when both have two.
    const std::string_view& a = parts[named == 0 ? 1 : 0];
    const std::string_view& b = parts[named == 2 ? 1 : 2];
    const bool yearFirstOrder = a.size() == 4;
    const auto day = parseSmall(yearFirstOrder ? b : a, 1, 2);
    const std::string_view yearText = yearFirstOrder ? a : b;
    const auto year = parseSmall(yearText, 2, 4);
    if (!day || !year || yearText.size() == 3)
        return std::nullopt;
    const int fullYearValue = yearText.size() == 2 ? fullYear(*year) : *year;
    if (!validDate(fullYearValue, month, *day))
        return std::nullopt;
    return withOptionalClock(tokens, i + 1, dated(fullYearValue, month, *day));
}

// "2023-12-07 09:37", "2023-12-07 09:37:12.123456789 +0100", "12-07-23 09:37",
// "07.12.2023" (a year, no time). "--time-style=iso" prints "12-07 09:37" for
// recent files and pads "2023-12-07" of older ones with one more blank.
std::optional<DateSpan> numeric(const LineTokens& tokens, std::size_t i, const DateTime& now)
{
    const std::string_view word = tokens.text(i);
    if (word.size() == 5 && (word[2] == '-' || word[2] == '/')) {
        const auto month = parseSmall(word.substr(0, 2), 2, 2);
        const auto day = parseSmall(word.substr(3, 2), 2, 2);
        const auto clock = parseClock(tokens.text(i + 1));
        if (!month || !day || !clock || !validDate(2000, *month, *day))
            return std::nullopt;
        return DateSpan{dated(yearOf(*month, *day, clock->hour, clock->minute, now), *month, *day, *clock), i + 2};
    }
    if (word.size() > 11 && (word[10] == 'T' || word[10] == 't')) {
        // "2023-12-07T09:37:12", perhaps with a zone glued on or after it.
        const auto date = parseNumericDate(word.substr(0, 10));
        const auto clock = parseClock(word.substr(11));
        if (!date || !clock)
            return std::nullopt;
        const std::size_t next = isZone(tokens.text(i + 1)) ? i + 2 : i + 1;
        return DateSpan{dated(date->year, date->month, date->day, *clock), next};
    }
    // "2023.12.07." as Hungarian writes it: the last dot closes the day.
    const bool closingDot = word.size() > 6 && word.back() == '.' && std::count(word.begin(), word.end(), '.') == 3;
    const auto date = parseNumericDate(closingDot ? word.substr(0, word.size() - 1) : word);
    if (!date)
        return dayMonthDotted(tokens, i, now);
    auto span = withOptionalClock(tokens, i + 1, *date);
    if (!span)
        return std::nullopt;
    if (span->next > i + 1) {
        const auto clock = parseClock(tokens.text(i + 1));
        if (span->next == i + 2 && clock && clock->withSeconds && isZone(tokens.text(i + 2)))
            ++span->next;
        return span;
    }
    const std::string_view line = tokens.line();
    const std::size_t end = tokens[i].end;
    if (word.size() == 10 && isDigit(word[3]) && !isDigit(word[4]) && end + 2 < line.size()
        && isBlank(line[end]) && isBlank(line[end + 1]))
        span->blanksAfter = 2;
    return span;
}

// Czech "ls" joins day and month with a no-break space, in UTF-8 or as the
// one byte of ISO 8859-2: "21.\xc2\xa0z\xc3\xa1\xc5\x99 10.00".
std::optional<DateSpan> dayJoinedToMonth(const LineTokens& tokens, std::size_t i, const DateTime& now)
{
    const std::string_view word = tokens.text(i);
    const auto dot = word.find('.');
    if (dot == std::string_view::npos || dot == 0 || dot > 2 || dot + 2 >= word.size())
        return std::nullopt;
    std::string_view rest = word.substr(dot + 1);
    if (rest.substr(0, 2) == "\xc2\xa0")
        rest.remove_prefix(2);
    else if (rest[0] == '\xa0')
        rest.remove_prefix(1);
    else
        return std::nullopt;
    const auto day = parseSmall(word.substr(0, dot), 1, 2);
    const auto month = monthNumber(rest);
    if (!day || !month || !validDate(2000, *month, *day))
        return std::nullopt;
    return finishWithClockOrYear(tokens, i + 1, *month, *day, now);
}

// Vietnamese "ls" puts the time of a recent file first: "10:00 21 Thg 9".
// The month names are padded to the width of "Thg 12", so a one-digit month
// is followed by a blank of its own before the separator.
std::optional<DateSpan> clockFirst(const LineTokens& tokens, std::size_t i, const DateTime& now)
{
    const auto clock = parseClock(tokens.text(i));
    const auto day = clock ? parseDay(tokens.text(i + 1)) : std::nullopt;
    if (!day)
        return std::nullopt;
    std::size_t next = i + 3;
    auto month = vietnameseMonth(tokens, i + 2);
    if (month)
        ++next;
    else
        month = monthNumber(tokens.text(i + 2));
    if (!month || !validDate(2000, *month, *day))
        return std::nullopt;
    DateSpan span{dated(yearOf(*month, *day, clock->hour, clock->minute, now), *month, *day, *clock), next};
    const std::string_view line = tokens.line();
    const std::size_t end = tokens[next - 1].end;
    if (*month < 10 && next == i + 4 && end + 2 < line.size() && isBlank(line[end]) && isBlank(line[end + 1]))
        span.blanksAfter = 2;
    return span;
}

// "2023年12月7日", "2023年 12月 7日 09:37", "12月 7日 09:37", "12月  7 09:37",
// "12월 7일 2023": the signs may come in any legacy encoding.
std::optional<DateSpan> cjk(const LineTokens& tokens, std::size_t i, const DateTime& now)
{
    const auto parts = parseCjkSignedAt(tokens, i);
    if (!parts)
        return std::nullopt;
    std::size_t j = parts->next;
    int day = parts->day;
    if (day == 0) {
        const auto unsignedDay = parseDay(tokens.text(j));
        if (!unsignedDay)
            return std::nullopt;
        day = *unsignedDay;
        ++j;
    }
    if (parts->year != 0) {
        if (!validDate(parts->year, parts->month, day))
            return std::nullopt;
        return withOptionalClock(tokens, j, dated(parts->year, parts->month, day));
    }
    if (!validDate(2000, parts->month, day))
        return std::nullopt;
    return finishWithClockOrYear(tokens, j, parts->month, day, now);
}

// A word that may name a month in a language we do not know: "Foo", "9-р",
// "M-fouyir", "ም/ት" (never a time, nor numbers and signs alone).
bool isWord(std::string_view token)
{
    if (token.empty() || token.size() > 48)
        return false;
    bool letter = false;
    for (char c : token) {
        if (c == ':')
            return false;
        letter = letter || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || static_cast<unsigned char>(c) >= 0x80;
    }
    return letter;
}

// The time or year that ends a date of unknown words at word `j`: the words
// it takes, or nothing when the line is not understood.
std::optional<std::size_t> unknownDateEnd(const LineTokens& tokens, std::size_t j)
{
    if (parseClock(tokens.text(j)) || parseDottedClock(tokens.text(j)))
        return j + 1;
    if (!parseYear(tokens.text(j)))
        return std::nullopt;
    if (parseClock(tokens.text(j + 1)))
        return j + 2;
    if (looksLikeClock(tokens.text(j + 1)))
        return std::nullopt;
    return j + 1;
}

} // namespace

bool validDate(int year, int month, int day)
{
    // From 1601, where Windows servers put files that never had a date.
    if (year < 1601 || year > 9999 || month < 1 || month > 12 || day < 1)
        return false;
    static constexpr int days[12] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return day <= (month == 2 && !leap ? 28 : days[month - 1]);
}


int fullYear(int twoDigitYear) { return twoDigitYear + (twoDigitYear < 70 ? 2000 : 1900); }

int yearOf(int month, int day, int hour, int minute, const DateTime& now)
{
    const long long then = minutesOf(now.year, month, day, hour, minute);
    int year = now.year;
    if (then > minutesOf(now.year, now.month, now.day, now.hour, now.minute) + 1440)
        --year;
    // A "Feb 29" shown without its year is from the last leap year.
    while (!validDate(year, month, day) && year > now.year - 8)
        --year;
    return year;
}

std::optional<DateTime> parseNumericDate(std::string_view token)
{
    if (token.size() < 6 || token.size() > 10 || !isDigit(token[0]))
        return std::nullopt;
    std::size_t first = 0;
    while (first < token.size() && isDigit(token[first]))
        ++first;
    if (first >= token.size())
        return std::nullopt;
    const char separator = token[first];
    if (separator != '-' && separator != '/' && separator != '.')
        return std::nullopt;
    const auto second = token.find(separator, first + 1);
    if (second == std::string_view::npos)
        return std::nullopt;
    const std::string_view a = token.substr(0, first);
    const std::string_view b = token.substr(first + 1, second - first - 1);
    const std::string_view c = token.substr(second + 1);
    const auto x = parseSmall(a, 1, 4);
    const auto y = parseSmall(b, 1, 2);
    const auto z = parseSmall(c, 1, 4);
    if (!x || !y || !z)
        return std::nullopt;
    int year = 0;
    int month = 0;
    int day = 0;
    if (a.size() == 4) {
        if (c.size() > 2)
            return std::nullopt;
        year = *x;
        month = *y;
        day = *z;
    } else {
        if (a.size() > 2 || (c.size() != 2 && c.size() != 4))
            return std::nullopt;
        year = c.size() == 2 ? fullYear(*z) : *z;
        const bool dayFirstOrder = separator == '.' ? *y <= 12 : *x > 12;
        month = dayFirstOrder ? *y : *x;
        day = dayFirstOrder ? *x : *y;
    }
    if (!validDate(year, month, day))
        return std::nullopt;
    return DateTime{year, month, day, 0, 0, 0};
}

std::optional<DateSpan> parseDateAt(const LineTokens& tokens, std::size_t i, const DateTime& now)
{
    const std::string_view word = tokens.text(i);
    if (word.empty())
        return std::nullopt;
    if (!isDigit(word[0])) {
        if (auto span = monthFirst(tokens, i, now))
            return span;
        if (isWeekday(word))
            return parseDateAt(tokens, i + 1, now);
        return hasDateSeparator(word) ? monthInNumbers(tokens, i) : std::nullopt;
    }
    if (auto span = dayFirst(tokens, i, now))
        return span;
    if (auto span = numeric(tokens, i, now))
        return span;
    if (auto span = cjk(tokens, i, now))
        return span;
    if (auto span = yearFirst(tokens, i))
        return span;
    if (auto span = yearFirstUndotted(tokens, i))
        return span;
    if (auto span = dayJoinedToMonth(tokens, i, now))
        return span;
    if (auto span = clockFirst(tokens, i, now))
        return span;
    return hasDateSeparator(word) ? monthInNumbers(tokens, i) : std::nullopt;
}

std::optional<DateSpan> parseUnknownDateAt(const LineTokens& tokens, std::size_t i)
{
    // "Foo 7 09:37", "kanun ikinci 7 2023", "7 Foo 2023", "Foo 7 2023 09:37":
    // up to three words of a month in a language we do not know, then a day
    // and a time or year; or a day, one such word and a year. A month we
    // know in a date we could not read is a broken date, not an unknown one.
    const auto unknownWord = [](std::string_view word) { return isWord(word) && !monthNumber(word); };
    if (parseDay(tokens.text(i)) && unknownWord(tokens.text(i + 1))) {
        if (const auto end = unknownDateEnd(tokens, i + 2))
            return DateSpan{std::nullopt, *end};
        return std::nullopt;
    }
    for (std::size_t day = i + 1; day <= i + 3 && unknownWord(tokens.text(day - 1)); ++day) {
        if (!parseDay(tokens.text(day)))
            continue;
        if (const auto end = unknownDateEnd(tokens, day + 1))
            return DateSpan{std::nullopt, *end};
    }
    return std::nullopt;
}

} // namespace ftp::listing
