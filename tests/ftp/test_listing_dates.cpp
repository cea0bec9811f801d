// Every date form written out from a known date and read back: a form or a
// month name the parser gets wrong for some month, day or hour shows here.

#include "ftp/listing/listing_parser.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

using ftp::DateTime;

namespace {

// Late in the year, so a date of this year printed without its year is never
// "in the future".
const DateTime now{2024, 12, 31, 23, 0, 0};

const char* const english[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

std::string format(const char* pattern, int a, int b = 0, int c = 0, int d = 0, int e = 0)
{
    char text[96];
    std::snprintf(text, sizeof text, pattern, a, b, c, d, e);
    return text;
}

std::string unixLine(const std::string& date) { return "-rw-r--r-- 1 ftp ftp 77 " + date + " x"; }

struct Form {
    const char* id;
    std::function<std::string(const DateTime&)> line;  // the whole listing line
    bool withTime;
    bool withSeconds;
    char dialect;  // 'u' Unix, 'd' DOS, 'm' MLSD
};

std::string month(const DateTime& t) { return english[t.month - 1]; }

const std::vector<Form> forms = {
    {"mon_dd_hhmm", [](const DateTime& t) { return unixLine(month(t) + format(" %2d %02d:%02d", t.day, t.hour, t.minute)); }, true, false, 'u'},
    {"mon_dd_yyyy", [](const DateTime& t) { return unixLine(month(t) + format(" %2d  %d", t.day, t.year)); }, false, false, 'u'},
    {"dd_mon_hhmm", [](const DateTime& t) { return unixLine(format("%02d ", t.day) + month(t) + format(" %02d:%02d", t.hour, t.minute)); }, true, false, 'u'},
    {"dd_mon_yyyy", [](const DateTime& t) { return unixLine(format("%d ", t.day) + month(t) + format(" %d", t.year)); }, false, false, 'u'},
    {"mon_dd_comma_yyyy", [](const DateTime& t) { return unixLine(month(t) + format(" %d, %d", t.day, t.year)); }, false, false, 'u'},
    {"bsd_full", [](const DateTime& t) { return unixLine(month(t) + format(" %2d %02d:%02d:%02d %d", t.day, t.hour, t.minute, t.second, t.year)); }, true, true, 'u'},
    {"iso_minutes", [](const DateTime& t) { return unixLine(format("%d-%02d-%02d %02d:%02d", t.year, t.month, t.day, t.hour, t.minute)); }, true, false, 'u'},
    {"iso_full_time", [](const DateTime& t) { return unixLine(format("%d-%02d-%02d %02d:%02d", t.year, t.month, t.day, t.hour, t.minute) + format(":%02d.000000000 -0500", t.second)); }, true, true, 'u'},
    {"iso_recent", [](const DateTime& t) { return unixLine(format("%02d-%02d %02d:%02d", t.month, t.day, t.hour, t.minute)); }, true, false, 'u'},
    {"iso_t_zone", [](const DateTime& t) { return unixLine(format("%d-%02d-%02dT", t.year, t.month, t.day) + format("%02d:%02d:%02d+01:00", t.hour, t.minute, t.second)); }, true, true, 'u'},
    {"ctime_weekday", [](const DateTime& t) { return unixLine("Thu " + month(t) + format(" %2d %02d:%02d:%02d %d", t.day, t.hour, t.minute, t.second, t.year)); }, true, true, 'u'},
    {"dd_mm_dotted_recent", [](const DateTime& t) { return unixLine(format("%d.%d. %02d:%02d", t.day, t.month, t.hour, t.minute)); }, true, false, 'u'},
    {"dd_mon_yyyy_dashed", [](const DateTime& t) { return unixLine(format("%02d-", t.day) + month(t) + format("-%d", t.year)); }, false, false, 'u'},
    {"mm_dd_yy", [](const DateTime& t) { return unixLine(format("%02d-%02d-%02d %02d:%02d", t.month, t.day, t.year % 100, t.hour, t.minute)); }, true, false, 'u'},
    {"mm_dd_yyyy_slashes", [](const DateTime& t) { return unixLine(format("%02d/%02d/%d", t.month, t.day, t.year)); }, false, false, 'u'},
    {"dd_mm_yyyy_dots", [](const DateTime& t) { return unixLine(format("%02d.%02d.%d", t.day, t.month, t.year)); }, false, false, 'u'},
    {"yyyy_mm_dd_slashes", [](const DateTime& t) { return unixLine(format("%d/%02d/%02d", t.year, t.month, t.day)); }, false, false, 'u'},
    {"cjk_full", [](const DateTime& t) { return unixLine(format("%d\xe5\xb9\xb4%d\xe6\x9c\x88%d\xe6\x97\xa5", t.year, t.month, t.day)); }, false, false, 'u'},
    {"cjk_recent", [](const DateTime& t) { return unixLine(format("%d\xe6\x9c\x88 %2d\xe6\x97\xa5 %02d:%02d", t.month, t.day, t.hour, t.minute)); }, true, false, 'u'},
    {"korean_recent", [](const DateTime& t) { return unixLine(format("%d\xec\x9b\x94 %d\xec\x9d\xbc %02d:%02d", t.month, t.day, t.hour, t.minute)); }, true, false, 'u'},
    {"shift_jis_year", [](const DateTime& t) { return unixLine(format("%d\x94\x4e%d\x8c\x8e%d\x93\xfa", t.year, t.month, t.day)); }, false, false, 'u'},
    {"dos_am_pm", [](const DateTime& t) { return format("%02d-%02d-%02d  %02d:%02d", t.month, t.day, t.year % 100, (t.hour + 11) % 12 + 1, t.minute) + (t.hour < 12 ? "AM" : "PM") + "  77 x"; }, true, false, 'd'},
    {"dos_iso_24h", [](const DateTime& t) { return format("%d-%02d-%02d  %02d:%02d  77 x", t.year, t.month, t.day, t.hour, t.minute); }, true, false, 'd'},
    {"mlsd_modify", [](const DateTime& t) { return format("type=file;size=77;modify=%d%02d%02d", t.year, t.month, t.day) + format("%02d%02d%02d; x", t.hour, t.minute, t.second); }, true, true, 'm'},
};

std::optional<ftp::ListEntry> parse(const Form& form, const std::string& line)
{
    return form.dialect == 'm' ? ftp::parseMlsdLine(line) : ftp::parseListLine(line, now);
}

// Month names as servers in other languages print them, January first.
const std::vector<std::vector<std::string>> languages = {
    {"Jan", "Feb", "M\xc3\xa4r", "Apr", "Mai", "Jun", "Jul", "Aug", "Sep", "Okt", "Nov", "Dez"},
    {"Jan", "Feb", "Mrz", "Apr", "Mai", "Jun", "Jul", "Aug", "Sep", "Okt", "Nov", "Dez"},
    {"janv.", "f\xc3\xa9vr.", "mars", "avr.", "mai", "juin", "juil.", "ao\xc3\xbbt", "sept.", "oct.", "nov.", "d\xc3\xa9" "c."},
    {"ene", "feb", "mar", "abr", "may", "jun", "jul", "ago", "sep", "oct", "nov", "dic"},
    {"gen", "feb", "mar", "apr", "mag", "giu", "lug", "ago", "set", "ott", "nov", "dic"},
    {"jan", "fev", "mar", "abr", "mai", "jun", "jul", "ago", "set", "out", "nov", "dez"},
    {"jan", "feb", "mrt", "apr", "mei", "jun", "jul", "aug", "sep", "okt", "nov", "dec"},
    {"jan", "feb", "mar", "apr", "maj", "jun", "jul", "aug", "sep", "okt", "nov", "dec"},
    {"jan.", "febr.", "m\xc3\xa1rc.", "\xc3\xa1pr.", "m\xc3\xa1j.", "j\xc3\xban.", "j\xc3\xbal.", "aug.", "szept.", "okt.", "nov.", "dec."},
    {"sty", "lut", "mar", "kwi", "maj", "cze", "lip", "sie", "wrz", "pa\xc5\xba", "lis", "gru"},
    {"led", "\xc3\xbano", "b\xc5\x99" "e", "dub", "kv\xc4\x9b", "\xc4\x8dvn", "\xc4\x8dvc", "srp", "z\xc3\xa1\xc5\x99", "\xc5\x99\xc3\xadj", "lis", "pro"},
    {"Oca", "\xc5\x9e" "ub", "Mar", "Nis", "May", "Haz", "Tem", "A\xc4\x9f" "u", "Eyl", "Eki", "Kas", "Ara"},
    {"tammi", "helmi", "maalis", "huhti", "touko", "kes\xc3\xa4", "hein\xc3\xa4", "elo", "syys", "loka", "marras", "joulu"},
    {"\xd1\x8f\xd0\xbd\xd0\xb2", "\xd1\x84\xd0\xb5\xd0\xb2", "\xd0\xbc\xd0\xb0\xd1\x80", "\xd0\xb0\xd0\xbf\xd1\x80", "\xd0\xbc\xd0\xb0\xd1\x8f", "\xd0\x98\xd1\x8e\xd0\xbd",
     "\xd0\x98\xd1\x8e\xd0\xbb", "\xd0\xb0\xd0\xb2\xd0\xb3", "\xd1\x81\xd0\xb5\xd0\xbd", "\xd0\x9e\xd0\x9a\xd0\xa2", "\xd0\xbd\xd0\xbe\xd1\x8f", "\xd0\xb4\xd0\xb5\xd0\xba"},
    {"\xd1\x81\xd1\x96\xd1\x87", "\xd0\xbb\xd1\x8e\xd1\x82", "\xd0\xb1\xd0\xb5\xd1\x80", "\xd0\xba\xd0\xb2\xd1\x96", "\xd1\x82\xd1\x80\xd0\xb0", "\xd1\x87\xd0\xb5\xd1\x80",
     "\xd0\xbb\xd0\xb8\xd0\xbf", "\xd1\x81\xd0\xb5\xd1\x80", "\xd0\xb2\xd0\xb5\xd1\x80", "\xd0\xb6\xd0\xbe\xd0\xb2", "\xd0\xbb\xd0\xb8\xd1\x81", "\xd0\xb3\xd1\x80\xd1\x83"},
    {"\xce\x99\xce\xb1\xce\xbd", "\xce\xa6\xce\xb5\xce\xb2", "\xce\x9c\xce\xb1\xcf\x81", "\xce\x91\xcf\x80\xcf\x81", "\xce\x9c\xce\xb1\xce\x90", "\xce\x99\xce\xbf\xcf\x85\xce\xbd",
     "\xce\x99\xce\xbf\xcf\x85\xce\xbb", "\xce\x91\xcf\x85\xce\xb3", "\xce\xa3\xce\xb5\xcf\x80", "\xce\x9f\xce\xba\xcf\x84", "\xce\x9d\xce\xbf\xce\xb5", "\xce\x94\xce\xb5\xce\xba"},
    // Greek with its accents, Finnish as newer glibc abbreviates it.
    {"\xce\x99\xce\xb1\xce\xbd", "\xce\xa6\xce\xb5\xce\xb2", "\xce\x9c\xce\xac\xcf\x81", "\xce\x91\xcf\x80\xcf\x81", "\xce\x9c\xce\xac\xce\xb9", "\xce\x99\xce\xbf\xcf\x8d\xce\xbd",
     "\xce\x99\xce\xbf\xcf\x8d\xce\xbb", "\xce\x91\xcf\x8d\xce\xb3", "\xce\xa3\xce\xb5\xcf\x80", "\xce\x9f\xce\xba\xcf\x84", "\xce\x9d\xce\xbf\xce\xad", "\xce\x94\xce\xb5\xce\xba"},
    {"tammik.", "helmik.", "maalisk.", "huhtik.", "toukok.", "kes\xc3\xa4k.", "hein\xc3\xa4k.", "elok.", "syysk.", "lokak.", "marrask.", "jouluk."},
    // Legacy 8-bit code pages: Russian in KOI8-R and Windows-1251, Czech in ISO 8859-2, Turkish in ISO 8859-9.
    {"\xd1\xce\xd7", "\xc6\xc5\xd7", "\xcd\xc1\xd2", "\xc1\xd0\xd2", "\xcd\xc1\xd1", "\xc9\xc0\xce", "\xc9\xc0\xcc", "\xc1\xd7\xc7", "\xd3\xc5\xce", "\xcf\xcb\xd4", "\xce\xcf\xd1", "\xc4\xc5\xcb"},
    {"\xdf\xed\xe2", "\xd4\xe5\xe2\xf0", "\xcc\xe0\xf0", "\xc0\xef\xf0", "\xcc\xe0\xe9", "\xc8\xfe\xed\xff", "\xc8\xfe\xeb\xff", "\xc0\xe2\xe3", "\xd1\xe5\xed\xf2", "\xce\xea\xf2", "\xcd\xee\xff\xe1", "\xc4\xe5\xea"},
    {"led", "\xfano", "b\xf8" "e", "dub", "kv\xec", "\xe8vn", "\xe8vc", "srp", "z\xe1\xf8", "\xf8\xedj", "lis", "pro"},
    {"Oca", "\xdeub", "Mar", "Nis", "May", "Haz", "Tem", "A\xf0u", "Eyl", "Eki", "Kas", "Ara"},
    // Russian in ISO 8859-5, Ukrainian in KOI8-U, Greek in ISO 8859-7: the default of their locales.
    {"\xef\xdd\xd2", "\xe4\xd5\xd2", "\xdc\xd0\xe0", "\xd0\xdf\xe0", "\xdc\xd0\xef", "\xd8\xee\xdd", "\xd8\xee\xdb", "\xd0\xd2\xd3", "\xe1\xd5\xdd", "\xde\xda\xe2", "\xdd\xde\xef", "\xd4\xd5\xda"},
    {"\xd3\xa6\xde", "\xcc\xc0\xd4", "\xc2\xc5\xd2", "\xcb\xd7\xa6", "\xd4\xd2\xc1", "\xde\xc5\xd2", "\xcc\xc9\xd0", "\xd3\xc5\xd2", "\xd7\xc5\xd2", "\xd6\xcf\xd7", "\xcc\xc9\xd3", "\xc7\xd2\xd5"},
    {"\xc9\xe1\xed", "\xd6\xe5\xe2", "\xcc\xdc\xf1", "\xc1\xf0\xf1", "\xcc\xdc\xe9", "\xc9\xef\xfd\xed", "\xc9\xef\xfd\xeb", "\xc1\xfd\xe3", "\xd3\xe5\xf0", "\xcf\xea\xf4", "\xcd\xef\xdd", "\xc4\xe5\xea"},
    // Lithuanian and Basque.
    {"saus.", "vas.", "kov.", "bal.", "geg.", "bir\xc5\xbe.", "liep.", "rugp.", "rugs.", "spal.", "lapkr.", "gruod."},
    {"urt", "ots", "mar", "api", "mai", "eka", "uzt", "abu", "ira", "urr", "aza", "abe"},
};

// The same word in Latin-1 bytes, when every letter has one.
std::optional<std::string> latin1(const std::string& utf8)
{
    std::string out;
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(utf8[i]);
        if (c < 0x80)
            out += char(c);
        else if ((c == 0xC2 || c == 0xC3) && i + 1 < utf8.size() && (static_cast<unsigned char>(utf8[i + 1]) & 0xC0) == 0x80)
            out += char(((c & 0x1F) << 6) | (static_cast<unsigned char>(utf8[++i]) & 0x3F));
        else
            return std::nullopt;
    }
    return out;
}

std::string upperAscii(std::string word)
{
    for (char& c : word)
        c = c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c;
    return word;
}

} // namespace

TEST(DateRoundTrip, EveryFormReadsBackTheDateItWasWrittenFrom)
{
    for (const auto& form : forms) {
        for (int m = 1; m <= 12; ++m) {
            for (int day : {1, 9, 12, 28, 31}) {
                if (day == 31 && (m == 2 || m == 4 || m == 6 || m == 9 || m == 11))
                    continue;
                const DateTime written{2024, m, day, (m * 5 + day) % 24, (m * 7 + day) % 60, (m + day) % 60};
                const auto entry = parse(form, form.line(written));
                ASSERT_TRUE(entry && entry->modified) << form.id << ": " << form.line(written);
                const DateTime expected{2024, m, day, form.withTime ? written.hour : 0, form.withTime ? written.minute : 0,
                                        form.withSeconds ? written.second : 0};
                EXPECT_EQ(*entry->modified, expected) << form.id << ": " << form.line(written);
                EXPECT_EQ(entry->name, "x") << form.id;
                EXPECT_EQ(entry->size, 77u) << form.id;
            }
        }
    }
}

TEST(DateRoundTrip, MonthNamesOfEveryLanguageInEveryCaseAndEncoding)
{
    for (const auto& names : languages) {
        for (int m = 1; m <= 12; ++m) {
            std::vector<std::string> spellings = {names[m - 1], upperAscii(names[m - 1])};
            if (const auto bytes = latin1(names[m - 1]); bytes && *bytes != names[m - 1])
                spellings.push_back(*bytes);
            for (const auto& word : spellings) {
                for (const std::string& date : {"7 " + word + " 2023", word + " 17 09:37"}) {
                    const auto entry = ftp::parseListLine(unixLine(date), now);
                    ASSERT_TRUE(entry && entry->modified) << unixLine(date);
                    EXPECT_EQ(entry->modified->month, m) << unixLine(date);
                    EXPECT_EQ(entry->name, "x") << unixLine(date);
                }
            }
        }
    }
}
