// Listing parsers against lines as real servers send them.

#include "ftp/listing_parser.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

using ftp::DateTime;
using ftp::ListEntry;

namespace {

struct LineCase {
    const char* id;
    std::string line;
    ListEntry expected;
};

std::ostream& operator<<(std::ostream& out, const LineCase& c) { return out << c.id; }

ListEntry file(std::string name, std::uint64_t size, DateTime modified)
{
    return ListEntry{std::move(name), false, size, modified};
}

ListEntry folder(std::string name, std::uint64_t size, DateTime modified)
{
    return ListEntry{std::move(name), true, size, modified};
}

ListEntry link(ListEntry entry)
{
    entry.isLink = true;
    return entry;
}

DateTime at(int year, int month, int day, int hour = 0, int minute = 0, int second = 0)
{
    return DateTime{year, month, day, hour, minute, second};
}

// The "now" of every LIST case: "Mon dd hh:mm" dates up to a day after it are this year.
const DateTime listNow = at(2024, 6, 15, 12, 0);

const std::vector<LineCase> listCases = {
    // vsftpd: numeric owners, two-digit day.
    {"vsftpd_file", "-rw-r--r--    1 1000     1000         1234 Mar 05 14:07 readme.txt",
     file("readme.txt", 1234, at(2024, 3, 5, 14, 7))},
    {"vsftpd_folder_with_year", "drwxr-xr-x    2 1000     1000         4096 Jan 15  2019 pub",
     folder("pub", 4096, at(2019, 1, 15))},
    {"vsftpd_symlink_is_file", "lrwxrwxrwx    1 0        0               7 Jun 01  2020 latest -> v1.2.3",
     link(file("latest", 7, at(2020, 6, 1)))},
    {"vsftpd_size_over_4_GiB", "-rw-r--r--    1 ftp      ftp      5368709120 Feb 29  2020 big.iso",
     file("big.iso", 5368709120ULL, at(2020, 2, 29))},
    // ProFTPD: single-digit day padded with a space.
    {"proftpd_name_with_spaces", "-rw-r--r--   1 ftp      ftp          4096 Nov  3 09:15 notes with spaces.txt",
     file("notes with spaces.txt", 4096, at(2023, 11, 3, 9, 15))},
    {"proftpd_old_year", "drwxr-xr-x   5 ftp      ftp          4096 Dec 31  1999 y2k",
     folder("y2k", 4096, at(1999, 12, 31))},
    {"proftpd_symlink_to_folder", "lrwxrwxrwx   1 root     root           17 Aug  8  2018 html -> /var/www/html/",
     link(folder("html", 17, at(2018, 8, 8)))},
    // pure-ftpd: wide numeric owner columns.
    {"pureftpd_file", "-rw-r--r--    1 1001       1001            12345 Jul  4 18:30 fireworks.jpg",
     file("fireworks.jpg", 12345, at(2023, 7, 4, 18, 30))},
    {"pureftpd_private_folder", "drwx------    2 1001       1001             4096 Oct 10  2010 private",
     folder("private", 4096, at(2010, 10, 10))},
    // FileZilla Server 0.9 emulates ls with single spaces.
    {"filezilla_file", "-rw-r--r-- 1 ftp ftp          10485760 Apr 01 08:00 data.bin",
     file("data.bin", 10485760, at(2024, 4, 1, 8, 0))},
    {"filezilla_folder", "drwxr-xr-x 1 ftp ftp              0 Apr 01  2021 Backups",
     folder("Backups", 0, at(2021, 4, 1))},
    // Odd ones.
    {"missing_group_column", "-rw-r--r--   1 owner      98765 Sep 12 23:59 nogroup.dat",
     file("nogroup.dat", 98765, at(2023, 9, 12, 23, 59))},
    {"trailing_space_kept", "-rw-r--r--    1 ftp ftp 3 Mar 05 14:07 trailing ",
     file("trailing ", 3, at(2024, 3, 5, 14, 7))},
    {"double_space_inside_name", "-rw-r--r--    1 ftp ftp 3 Mar 05 14:07 two  spaces",
     file("two  spaces", 3, at(2024, 3, 5, 14, 7))},
    {"acl_marker_after_permissions", "-rw-r--r--+   1 ftp ftp 10 Mar 05 14:07 acl.txt",
     file("acl.txt", 10, at(2024, 3, 5, 14, 7))},
    {"tab_separated", "-rw-r--r--\t1\tftp\tftp\t10\tMar\t5\t14:07\ttabbed",
     file("tabbed", 10, at(2024, 3, 5, 14, 7))},
    {"utf8_name", "-rw-r--r-- 1 ftp ftp 5 Mar 05 14:07 Gr\xc3\xbc\xc3\x9f" "e.txt",
     file("Gr\xc3\xbc\xc3\x9f" "e.txt", 5, at(2024, 3, 5, 14, 7))},
    {"latin1_name_bytes_kept", "-rw-r--r-- 1 ftp ftp 5 Mar 05 14:07 caf\xe9.txt",
     file("caf\xe9.txt", 5, at(2024, 3, 5, 14, 7))},
    {"name_that_looks_like_a_date", "-rw-r--r-- 1 ftp ftp 9 Mar 05 14:07 Jan 1 2000 report",
     file("Jan 1 2000 report", 9, at(2024, 3, 5, 14, 7))},
    {"owner_named_like_a_month", "-rw-r--r-- 1 may staff 77 Mar 05 14:07 may.txt",
     file("may.txt", 77, at(2024, 3, 5, 14, 7))},
    {"long_iso_time_style", "-rw-r--r-- 1 ftp ftp 100 2021-03-05 14:07 iso.txt",
     file("iso.txt", 100, at(2021, 3, 5, 14, 7))},
    {"upper_case_month", "-rw-r--r-- 1 ftp ftp 1 MAR 05 14:07 shout",
     file("shout", 1, at(2024, 3, 5, 14, 7))},
    {"symlink_name_with_arrow_only_first_split", "lrwxrwxrwx 1 ftp ftp 4 Mar 05 14:07 a b -> c -> d",
     link(file("a b", 4, at(2024, 3, 5, 14, 7)))},
    {"crlf_ending_removed", "-rw-r--r-- 1 ftp ftp 2 Mar 05 14:07 dos.txt\r",
     file("dos.txt", 2, at(2024, 3, 5, 14, 7))},
    // IIS in its DOS style.
    {"iis_folder", "03-05-21  02:07PM       <DIR>          aspnet_client",
     folder("aspnet_client", 0, at(2021, 3, 5, 14, 7))},
    {"iis_file", "03-05-21  02:07PM                 1234 default.htm",
     file("default.htm", 1234, at(2021, 3, 5, 14, 7))},
    {"iis_grouped_size_and_spaces", "12-31-99  11:59PM             1,234,567 old report.doc",
     file("old report.doc", 1234567, at(1999, 12, 31, 23, 59))},
    {"iis_four_digit_year_midnight", "01-01-2021  12:00AM        5,000,000,000 huge.bin",
     file("huge.bin", 5000000000ULL, at(2021, 1, 1, 0, 0))},
    {"iis_noon", "07-04-2020  12:30PM       <DIR>          Program Files",
     folder("Program Files", 0, at(2020, 7, 4, 12, 30))},
    {"dos_24_hour_clock", "10-11-22  09:05       <DIR>          dir24",
     folder("dir24", 0, at(2022, 10, 11, 9, 5))},
    {"dos_separate_am_pm", "06-15-19  03:04 AM                17 early",
     file("early", 17, at(2019, 6, 15, 3, 4))},
    {"dos_trailing_space_kept", "06-15-19  03:04AM                17 trailing ",
     file("trailing ", 17, at(2019, 6, 15, 3, 4))},
};

const std::vector<LineCase> mlsdCases = {
    {"proftpd_file",
     "modify=20210305140700;perm=adfr;size=1234;type=file;unique=803U1A;UNIX.group=1000;UNIX.mode=0644;"
     "UNIX.owner=1000; readme.txt",
     file("readme.txt", 1234, at(2021, 3, 5, 14, 7, 0))},
    {"proftpd_folder",
     "modify=20200101000000;perm=flcdmpe;type=dir;unique=803U2;UNIX.group=0;UNIX.mode=0755;UNIX.owner=0; pub",
     folder("pub", 0, at(2020, 1, 1))},
    {"pureftpd_big_file_with_spaces",
     "type=file;size=5368709120;modify=20220202020202;UNIX.mode=0644;UNIX.uid=1000;UNIX.gid=1000;"
     "unique=801g4c; big file.iso",
     file("big file.iso", 5368709120ULL, at(2022, 2, 2, 2, 2, 2))},
    {"pyftpdlib_file", "type=file;size=1024;perm=radfw;modify=20210305140759; a.bin",
     file("a.bin", 1024, at(2021, 3, 5, 14, 7, 59))},
    {"filezilla_fractional_seconds", "type=file;size=42;modify=20230102030405.123;perm=awrfd; note.txt",
     file("note.txt", 42, at(2023, 1, 2, 3, 4, 5))},
    {"iis_capitalised_facts", "Type=dir;Modify=20210305140700.000; Scripts",
     folder("Scripts", 0, at(2021, 3, 5, 14, 7))},
    {"iis_capitalised_size", "Type=file;Size=100;Modify=20210305140700.000; iis.txt",
     file("iis.txt", 100, at(2021, 3, 5, 14, 7))},
    {"unix_symlink_is_file", "type=OS.unix=symlink;size=7;modify=20210305140700; link",
     link(file("link", 7, at(2021, 3, 5, 14, 7)))},
    {"unix_slink_to_folder", "type=OS.unix=slink:/srv/data/;modify=20210305140700; data",
     link(folder("data", 0, at(2021, 3, 5, 14, 7)))},
    {"name_with_leading_space", "type=file;size=1;modify=20210305140700;  spaced",
     file(" spaced", 1, at(2021, 3, 5, 14, 7))},
    {"name_with_semicolon_and_equals", "type=file;size=3;modify=20210305140700; a;b=c.txt",
     file("a;b=c.txt", 3, at(2021, 3, 5, 14, 7))},
    {"missing_size_and_time", "type=file; bare",
     file("bare", 0, DateTime{})},
    {"bad_time_ignored", "type=file;size=9;modify=2021030514; short-time",
     file("short-time", 9, DateTime{})},
    {"utf8_name", "type=file;size=2;modify=20210305140700; \xd0\xbf\xd1\x80\xd0\xb8\xd0\xb2\xd0\xb5\xd1\x82",
     file("\xd0\xbf\xd1\x80\xd0\xb8\xd0\xb2\xd0\xb5\xd1\x82", 2, at(2021, 3, 5, 14, 7))},
    {"crlf_ending_removed", "type=file;size=2;modify=20210305140700; dos.txt\r",
     file("dos.txt", 2, at(2021, 3, 5, 14, 7))},
};

const std::vector<std::string> badListLines = {
    "",
    "   ",
    "total 12",
    "garbage",
    "drwxr-xr-x",
    "-rw-r--r-- 1 ftp ftp 12 Foo 05 14:07 bad-month",
    "-rw-r--r-- 1 ftp ftp 12 Mar 32 14:07 bad-day",
    "-rw-r--r-- 1 ftp ftp 12 Mar 05 25:07 bad-hour",
    "-rw-r--r-- 1 ftp ftp 12 Mar 05 14:61 bad-minute",
    "-rw-r--r-- 1 ftp ftp abc Mar 05 14:07 bad-size",
    "-rw-r--r-- 1 ftp ftp 99999999999999999999999 Mar 05 14:07 size-overflow",
    "-rw-r--r-- 1 ftp ftp 12 Mar 05 14:07",
    "-rw-r--r-- 1 ftp ftp 12 Mar 05 14:07    ",
    "drwxr-xr-x 2 ftp ftp 4096 Mar 05 14:07 .",
    "drwxr-xr-x 2 ftp ftp 4096 Mar 05 14:07 ..",
    "xrw-r--r-- 1 ftp ftp 12 Mar 05 14:07 bad-type",
    "13-05-21  02:07PM  12 bad-month",
    "03-05-21  13:07PM  12 bad-hour",
    "03-05-21  02:07PM  <DIR>",
    "03-05-21  02:07PM  1,23 bad-grouping",
    "03-05-21  02:07PM  <DIR>  .",
    "03-05-21  02:07PM  <DIR>  ..",
    "03-05-211  02:07PM  12 three-digit-year",
    "550 No files found.",
    "ftp> ls",
};

const std::vector<std::string> badMlsdLines = {
    "",
    "nospace",
    "type=cdir;modify=20210305140700; /pub",
    "type=pdir;modify=20210305140700; ..",
    "Type=CDir; .",
    "total 3",
    "type=file;size=1;",
    "type=file; ",
    "-rw-r--r-- 1 ftp ftp 12 Mar 05 14:07 list-line",
};

class ListLine : public testing::TestWithParam<LineCase> {};
class MlsdLine : public testing::TestWithParam<LineCase> {};

std::string caseName(const testing::TestParamInfo<LineCase>& info) { return info.param.id; }

} // namespace

TEST_P(ListLine, ParsesToTheFullEntry)
{
    const auto entry = ftp::parseListLine(GetParam().line, listNow);
    ASSERT_TRUE(entry.has_value());
    EXPECT_EQ(entry->name, GetParam().expected.name);
    EXPECT_EQ(entry->isFolder, GetParam().expected.isFolder);
    EXPECT_EQ(entry->size, GetParam().expected.size);
    EXPECT_EQ(entry->modified, GetParam().expected.modified)
        << entry->modified.year << "-" << entry->modified.month << "-" << entry->modified.day << " "
        << entry->modified.hour << ":" << entry->modified.minute;
}
INSTANTIATE_TEST_SUITE_P(Servers, ListLine, testing::ValuesIn(listCases), caseName);

TEST_P(MlsdLine, ParsesToTheFullEntry)
{
    const auto entry = ftp::parseMlsdLine(GetParam().line);
    ASSERT_TRUE(entry.has_value());
    EXPECT_EQ(*entry, GetParam().expected) << entry->name;
}
INSTANTIATE_TEST_SUITE_P(Servers, MlsdLine, testing::ValuesIn(mlsdCases), caseName);

TEST(ListLineRejects, LinesThatAreNoEntry)
{
    for (const auto& line : badListLines)
        EXPECT_FALSE(ftp::parseListLine(line, listNow).has_value()) << "line: " << line;
}

TEST(MlsdLineRejects, LinesThatAreNoEntryAndTheFolderItself)
{
    for (const auto& line : badMlsdLines)
        EXPECT_FALSE(ftp::parseMlsdLine(line).has_value()) << "line: " << line;
}

TEST(ListYear, RecentDateWithoutYearIsThisYearUnlessMoreThanADayAhead)
{
    const DateTime now = at(2024, 3, 10, 12, 0);
    const auto year = [&](const char* date) {
        const auto entry = ftp::parseListLine(std::string("-rw-r--r-- 1 ftp ftp 1 ") + date + " f", now);
        return entry ? entry->modified.year : -1;
    };
    EXPECT_EQ(year("Mar 10 11:00"), 2024);
    EXPECT_EQ(year("Mar 11 10:00"), 2024);  // server clock a little ahead
    EXPECT_EQ(year("Mar 12 10:00"), 2023);
    EXPECT_EQ(year("Dec 25 10:00"), 2023);
    EXPECT_EQ(year("Jan 01 00:00"), 2024);
    // Across New Year: on Jan 1 a "Dec 31" file is from last year.
    const auto entry = ftp::parseListLine("-rw-r--r-- 1 ftp ftp 1 Dec 31 23:00 f", at(2025, 1, 1, 0, 30));
    ASSERT_TRUE(entry);
    EXPECT_EQ(entry->modified.year, 2024);
}

TEST(ListYear, YearOnlyOverloadUsesThatYear)
{
    const auto entry = ftp::parseListLine("-rw-r--r-- 1 ftp ftp 1 Dec 31 23:00 f", 2022);
    ASSERT_TRUE(entry);
    EXPECT_EQ(entry->modified, at(2022, 12, 31, 23, 0));
}

TEST(WholeListing, KeepsCountAndOrderAndDropsTheRest)
{
    std::string body = "total 1234\r\n";
    for (std::size_t i = 0; i < listCases.size(); ++i) {
        std::string line = listCases[i].line;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        body += line + (i % 2 ? "\n" : "\r\n");
        body += badListLines[i % badListLines.size()] + "\r\n";
    }
    const auto entries = ftp::parseListListing(body, listNow);
    ASSERT_EQ(entries.size(), listCases.size());
    for (std::size_t i = 0; i < entries.size(); ++i)
        EXPECT_EQ(entries[i], listCases[i].expected) << listCases[i].id;
}

TEST(WholeListing, MlsdKeepsCountAndOrderAndSkipsCdirPdir)
{
    std::string body;
    for (std::size_t i = 0; i < mlsdCases.size(); ++i) {
        std::string line = mlsdCases[i].line;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        body += line + "\r\n";
        body += badMlsdLines[i % badMlsdLines.size()] + "\r\n";
    }
    const auto entries = ftp::parseMlsdListing(body);
    ASSERT_EQ(entries.size(), mlsdCases.size());
    for (std::size_t i = 0; i < entries.size(); ++i)
        EXPECT_EQ(entries[i], mlsdCases[i].expected) << mlsdCases[i].id;
}

TEST(WholeListing, LastLineWithoutNewlineStillCounts)
{
    EXPECT_EQ(ftp::parseListListing("-rw-r--r-- 1 ftp ftp 1 Mar 05 14:07 a\n"
                                    "-rw-r--r-- 1 ftp ftp 2 Mar 05 14:07 b",
                                    listNow)
                  .size(),
              2u);
    EXPECT_TRUE(ftp::parseListListing("", listNow).empty());
    EXPECT_TRUE(ftp::parseMlsdListing("\r\n\r\n").empty());
}

TEST(Robustness, ControlAndBlankCharactersInsertedAnywhereNeverCrash)
{
    const std::string inserts = "\r\n \t";
    std::vector<std::string> lines;
    for (const auto& c : listCases)
        lines.push_back(c.line);
    for (const auto& c : mlsdCases)
        lines.push_back(c.line);
    lines.insert(lines.end(), badListLines.begin(), badListLines.end());
    std::size_t parsed = 0;
    for (const auto& line : lines) {
        for (std::size_t pos = 0; pos <= line.size(); ++pos) {
            for (char c : inserts) {
                std::string mutated = line;
                mutated.insert(pos, 1, c);
                parsed += ftp::parseListLine(mutated, listNow).has_value();
                parsed += ftp::parseMlsdLine(mutated).has_value();
                parsed += ftp::parseListListing(mutated, listNow).size();
                parsed += ftp::parseMlsdListing(mutated).size();
            }
        }
    }
    // Several random insertions at once, and truncations, with a fixed seed.
    std::mt19937 random(20240615);
    for (int round = 0; round < 2000; ++round) {
        std::string mutated = lines[random() % lines.size()];
        for (int n = 0; n < 4; ++n)
            mutated.insert(random() % (mutated.size() + 1), 1, inserts[random() % inserts.size()]);
        mutated.resize(random() % (mutated.size() + 1));
        parsed += ftp::parseListListing(mutated, listNow).size();
        parsed += ftp::parseMlsdListing(mutated).size();
    }
    EXPECT_GT(parsed, 0u);
}
