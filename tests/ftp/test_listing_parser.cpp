// Listing parsers against lines as real servers send them: one table per
// dialect, each with the full entry a line must give and lines that must give
// nothing, then the whole tables through one parser and mangled copies.

#include "ftp/listing/listing_parser.h"
#include "ftp/listing/listing_reader.h"

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

using Size = std::optional<std::uint64_t>;
using Date = std::optional<DateTime>;

ListEntry file(std::string name, Size size, Date modified) { return ListEntry{std::move(name), false, size, modified}; }
ListEntry folder(std::string name, Size size, Date modified) { return ListEntry{std::move(name), true, size, modified}; }

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

const std::vector<LineCase> unixCases = {
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
    // Columns missing, run together or of another kind.
    {"missing_group_column", "-rw-r--r--   1 owner      98765 Sep 12 23:59 nogroup.dat",
     file("nogroup.dat", 98765, at(2023, 9, 12, 23, 59))},
    {"missing_link_count", "-rw-r--r-- ftp ftp 42 Mar 05 14:07 nolinks",
     file("nolinks", 42, at(2024, 3, 5, 14, 7))},
    {"missing_link_count_and_group", "-rw-r--r-- ftp 42 Mar 05 14:07 bare",
     file("bare", 42, at(2024, 3, 5, 14, 7))},
    {"group_runs_into_size", "-rw-r--r--   1 root     ftpusers123456 Dec 07  2023 glued.tar",
     file("glued.tar", 123456, at(2023, 12, 7))},
    {"group_runs_into_size_no_link_count", "-rw-r--r-- root wheel9876543 Dec 07  2023 glued2",
     file("glued2", 9876543, at(2023, 12, 7))},
    {"device_major_minor", "brw-rw----   1 root     disk       8,   1 Dec 07 09:37 sda1",
     file("sda1", std::nullopt, at(2023, 12, 7, 9, 37))},
    {"device_major_minor_one_word", "crw-rw-rw- 1 root tty 5,0 Dec 07  2023 tty",
     file("tty", std::nullopt, at(2023, 12, 7))},
    {"size_grouped_in_thousands", "-rw-r--r-- 1 ftp ftp 1,234,567 Dec 07  2023 grouped", file("grouped", 1234567, at(2023, 12, 7))},
    {"blocks_column_in_front", "   8 -rw-r--r-- 1 ftp ftp 8192 Dec 07  2023 blocks", file("blocks", 8192, at(2023, 12, 7))},
    {"inode_and_blocks_in_front", "123456 8 -rw-r--r-- 1 ftp ftp 8192 Dec 07  2023 ib", file("ib", 8192, at(2023, 12, 7))},
    {"indented_line", "  -rw-r--r-- 1 ftp ftp 8192 Dec 07  2023 indented", file("indented", 8192, at(2023, 12, 7))},
    {"size_in_kibibytes", "-rw-r--r-- 1 ftp ftp 1.5K Dec 07  2023 half.bin", file("half.bin", 1536, at(2023, 12, 7))},
    {"size_in_mebibytes", "-rw-r--r-- 1 ftp ftp 12M Dec 07  2023 m.bin", file("m.bin", 12u << 20, at(2023, 12, 7))},
    {"size_in_gibibytes", "-rw-r--r-- 1 ftp ftp 3G Dec 07  2023 g.iso", file("g.iso", 3ULL << 30, at(2023, 12, 7))},
    {"size_in_bytes_with_unit", "-rw-r--r-- 1 ftp ftp 512B Dec 07  2023 b.txt", file("b.txt", 512, at(2023, 12, 7))},
    {"size_with_decimal_comma", "-rw-r--r-- 1 ftp ftp 2,5M Dec 07  2023 c.bin", file("c.bin", 2621440, at(2023, 12, 7))},
    {"size_in_si_kilobytes", "-rw-r--r-- 1 ftp ftp 4.1k Dec 07  2023 si.bin", file("si.bin", 4100, at(2023, 12, 7))},
    {"size_grouped_with_dots", "-rw-r--r-- 1 ftp ftp 1.234.567 Dec 07  2023 d.bin", file("d.bin", 1234567, at(2023, 12, 7))},
    {"size_grouped_with_narrow_no_break_spaces", "-rw-r--r-- 1 ftp ftp 1\xe2\x80\xaf" "234\xe2\x80\xaf" "567  3 janv.  2020 e.bin",
     file("e.bin", 1234567, at(2020, 1, 3))},
    {"bsd_device_number_in_hex", "crw-rw-rw- 1 root wheel 0x3000000 Dec 07  2023 ttyp0", file("ttyp0", std::nullopt, at(2023, 12, 7))},
    {"pipe_type", "prw-r--r-- 1 ftp ftp 0 Dec 07  2023 fifo", file("fifo", 0, at(2023, 12, 7))},
    {"socket_type", "srwxrwxrwx 1 ftp ftp 0 Dec 07  2023 sock", file("sock", 0, at(2023, 12, 7))},
    {"door_type", "Dr--r--r-- 1 root root 0 Dec 07  2023 door", file("door", 0, at(2023, 12, 7))},
    {"network_special_type", "nrw-r--r-- 1 root root 0 Dec 07  2023 net", file("net", 0, at(2023, 12, 7))},
    {"unknown_type", "?--------- 1 root root 0 Dec 07  2023 lost", file("lost", 0, at(2023, 12, 7))},
    {"equals_type", "=rw-r--r-- 1 root root 0 Dec 07  2023 eq", file("eq", 0, at(2023, 12, 7))},
    {"acl_marker_after_permissions", "-rw-r--r--+   1 ftp ftp 10 Mar 05 14:07 acl.txt",
     file("acl.txt", 10, at(2024, 3, 5, 14, 7))},
    {"extended_attributes_marker", "drwxr-xr-x@ 5 me staff 160 Mar 05 14:07 mac", folder("mac", 160, at(2024, 3, 5, 14, 7))},
    {"selinux_context_marker", "-rw-r--r--. 1 ftp ftp 10 Mar 05 14:07 ctx", file("ctx", 10, at(2024, 3, 5, 14, 7))},
    {"setuid_sticky_bits", "drwxrwxrwt 9 root root 4096 Mar 05 14:07 tmp", folder("tmp", 4096, at(2024, 3, 5, 14, 7))},
    // Names are every byte after the one blank that ends the date.
    {"leading_space_kept", "-rw-r--r--    1 ftp ftp 3 Dec 07 09:37  leading space.bin",
     file(" leading space.bin", 3, at(2023, 12, 7, 9, 37))},
    {"leading_spaces_after_year", "-rw-r--r--    1 ftp ftp 3 Dec  7  2023   two.bin",
     file("  two.bin", 3, at(2023, 12, 7))},
    {"leading_space_after_numeric_date", "-rw-r--r-- 1 ftp ftp 3 05.03.2021  lead", file(" lead", 3, at(2021, 3, 5))},
    {"trailing_space_kept", "-rw-r--r--    1 ftp ftp 3 Mar 05 14:07 trailing ",
     file("trailing ", 3, at(2024, 3, 5, 14, 7))},
    {"trailing_spaces_and_crlf", "-rw-r--r--    1 ftp ftp 3 Mar 05 14:07 trailing  \r",
     file("trailing  ", 3, at(2024, 3, 5, 14, 7))},
    {"double_space_inside_name", "-rw-r--r--    1 ftp ftp 3 Mar 05 14:07 two  spaces",
     file("two  spaces", 3, at(2024, 3, 5, 14, 7))},
    {"tab_separated", "-rw-r--r--\t1\tftp\tftp\t10\tMar\t5\t14:07\ttabbed",
     file("tabbed", 10, at(2024, 3, 5, 14, 7))},
    {"tab_inside_name_kept", "-rw-r--r-- 1 ftp ftp 10 Mar 5 14:07 a\tb\t", file("a\tb\t", 10, at(2024, 3, 5, 14, 7))},
    {"utf8_name", "-rw-r--r-- 1 ftp ftp 5 Mar 05 14:07 Gr\xc3\xbc\xc3\x9f" "e.txt",
     file("Gr\xc3\xbc\xc3\x9f" "e.txt", 5, at(2024, 3, 5, 14, 7))},
    {"latin1_name_bytes_kept", "-rw-r--r-- 1 ftp ftp 5 Mar 05 14:07 caf\xe9.txt",
     file("caf\xe9.txt", 5, at(2024, 3, 5, 14, 7))},
    {"name_that_looks_like_a_date", "-rw-r--r-- 1 ftp ftp 9 Mar 05 14:07 Jan 1 2000 report",
     file("Jan 1 2000 report", 9, at(2024, 3, 5, 14, 7))},
    {"owner_named_like_a_month", "-rw-r--r-- 1 may staff 77 Mar 05 14:07 may.txt",
     file("may.txt", 77, at(2024, 3, 5, 14, 7))},
    {"numeric_owners_and_size_like_a_year", "-rw-r--r-- 1 2001 2001 2023 Dec 7 2022 y.txt",
     file("y.txt", 2023, at(2022, 12, 7))},
    {"long_iso_time_style", "-rw-r--r-- 1 ftp ftp 100 2021-03-05 14:07 iso.txt",
     file("iso.txt", 100, at(2021, 3, 5, 14, 7))},
    {"upper_case_month", "-rw-r--r-- 1 ftp ftp 1 MAR 05 14:07 shout",
     file("shout", 1, at(2024, 3, 5, 14, 7))},
    {"symlink_name_with_arrow_only_first_split", "lrwxrwxrwx 1 ftp ftp 4 Mar 05 14:07 a b -> c -> d",
     link(file("a b", 4, at(2024, 3, 5, 14, 7)))},
    {"crlf_ending_removed", "-rw-r--r-- 1 ftp ftp 2 Mar 05 14:07 dos.txt\r",
     file("dos.txt", 2, at(2024, 3, 5, 14, 7))},
    // A month we cannot read still leaves size and name certain.
    {"unknown_month_word_keeps_file_undated", "-rw-r--r-- 1 ftp ftp 12 Foo 05 14:07 bad-month",
     file("bad-month", 12, std::nullopt)},
    {"unknown_month_after_day_keeps_file_undated", "-rw-r--r-- 1 ftp ftp 12 5 Xyz 2023 odd",
     file("odd", 12, std::nullopt)},
    {"unknown_month_of_two_words_keeps_file_undated", "-rw-r--r-- 1 ftp ftp 12 wis kati-a 21 10:00 two",
     file("two", 12, std::nullopt)},
    {"german_old_year_padded_to_a_time", "-rw-r--r-- 1 ftp ftp 12  3. Jan 2020  padded", file("padded", 12, at(2020, 1, 3))},
    {"vietnamese_month_padded_to_two_digits", "-rw-r--r-- 1 ftp ftp 12 10:00 21 Thg 9  padded",
     file("padded", 12, at(2023, 9, 21, 10, 0))},
};

// Unix lines whose date comes in another order, language or script; the
// name after the date is always "f.txt" and the size 1234.
struct DateCase {
    const char* id;
    std::string date;
    Date expected;
};

const std::vector<DateCase> dateFormCases = {
    {"day_before_month_time", "07 Dec 09:37", at(2023, 12, 7, 9, 37)},
    {"day_before_month_year", "7 Dec 2023", at(2023, 12, 7)},
    {"german_day_with_dot", " 7. Dez 09:37", at(2023, 12, 7, 9, 37)},
    {"comma_after_day", "Dec 7, 2023", at(2023, 12, 7)},
    {"lower_case_month", "dec 07 2023", at(2023, 12, 7)},
    {"bsd_full_time", "Dec  7 09:37:12 2023", at(2023, 12, 7, 9, 37, 12)},
    {"clock_after_year", "Dec 07 2023 09:37", at(2023, 12, 7, 9, 37)},
    {"month_day_two_digit_year", "12-07-23 09:37", at(2023, 12, 7, 9, 37)},
    {"month_day_year_slashes", "12/07/2023", at(2023, 12, 7)},
    {"day_month_year_slashes", "25/12/2023 18:00", at(2023, 12, 25, 18, 0)},
    {"day_month_year_dots", "07.12.2023 09:37", at(2023, 12, 7, 9, 37)},
    {"day_month_two_digit_year_dots", "07.12.99", at(1999, 12, 7)},
    {"numeric_date_with_meridiem", "12/07/2023 09:37 PM", at(2023, 12, 7, 21, 37)},
    {"year_first_slashes", "2023/12/07 09:37", at(2023, 12, 7, 9, 37)},
    {"year_first_dots", "2023.12.07", at(2023, 12, 7)},
    {"iso_seconds", "2023-12-07 09:37:12", at(2023, 12, 7, 9, 37, 12)},
    {"iso_full_time_zone", "2023-12-07 09:37:12.123456789 +0100", at(2023, 12, 7, 9, 37, 12)},
    {"iso_recent_without_year", "06-01 09:37", at(2024, 6, 1, 9, 37)},
    {"iso_old_padded", "2021-03-05 ", at(2021, 3, 5)},
    {"iso_t_glued_zone", "2023-12-07T09:37:12.5Z", at(2023, 12, 7, 9, 37, 12)},
    {"finnish_day_month_dotted_old", "07.12.  2022", at(2022, 12, 7)},
    {"year_first_month_name_dashes", "2023-Dec-07 09:37", at(2023, 12, 7, 9, 37)},
    {"windows_never_dated", "Jan  1  1601", at(1601, 1, 1)},
    {"german_maerz_utf8", "M\xc3\xa4r  5 2023", at(2023, 3, 5)},
    {"german_maerz_latin1", "M\xe4r  5 2023", at(2023, 3, 5)},
    {"german_mrz_okt_mai", "Mrz  5 2023", at(2023, 3, 5)},
    {"german_okt", "5. Okt 2023", at(2023, 10, 5)},
    {"german_mai_upper", "MAI 5 2023", at(2023, 5, 5)},
    {"hungarian_dotted_recent", "m\xc3\xa1rc. 5 09:37", at(2024, 3, 5, 9, 37)},
    {"hungarian_year_first", "2023. dec. 7.", at(2023, 12, 7)},
    {"hungarian_numeric_closing_dot", "2023.12.07. 09:37", at(2023, 12, 7, 9, 37)},
    {"korean_numeric_dotted_words", "2023. 12. 7.", at(2023, 12, 7)},
    {"vietnamese_month_word_and_number", "Thg 12  7 09:37", at(2023, 12, 7, 9, 37)},
    {"vietnamese_day_first", "7 thg 1 2023", at(2023, 1, 7)},
    // The forms of "ls -l" translated: Italian, Swedish, Czech and Hungarian
    // times with a dot, Finnish numeric months, Czech no-break space, Hungarian
    // and Basque years first, Vietnamese time first, Catalan and Serbian words.
    {"italian_dotted_time", "22 lug 10.28", at(2023, 7, 22, 10, 28)},
    {"hungarian_dotted_time", "szept 21 10.00", at(2023, 9, 21, 10, 0)},
    {"finnish_day_and_month_words", "21. 9. 10:00", at(2023, 9, 21, 10, 0)},
    {"finnish_old", " 5. 2.  2020", at(2020, 2, 5)},
    {"czech_no_break_space", "21.\xc2\xa0z\xc3\xa1\xc5\x99 10.00", at(2023, 9, 21, 10, 0)},
    {"czech_latin2_no_break_space", " 5.\xa0\xfano  2020", at(2020, 2, 5)},
    {"hungarian_year_without_dot", "2020 febr   5", at(2020, 2, 5)},
    {"basque_year_first", "2020  abe  5", at(2020, 12, 5)},
    {"vietnamese_time_first", "10:00 21 Thg 10", at(2023, 10, 21, 10, 0)},
    {"catalan_de", "21 de set.  10:00", at(2023, 9, 21, 10, 0)},
    {"catalan_apostrophe", " 3 d\xe2\x80\x99oct.   2020", at(2020, 10, 3)},
    {"serbian_at_before_time", "21. \xd1\x81\xd0\xb5\xd0\xbf. \xd1\x83 10:00", at(2023, 9, 21, 10, 0)},
    {"serbian_old", " 5. \xd1\x84\xd0\xb5\xd0\xb1. 2020.", at(2020, 2, 5)},
    {"euc_tw", "12\xc5\xcc 7\xc5\xca 09:37", at(2023, 12, 7, 9, 37)},
    {"french_fevr", "7 f\xc3\xa9vr. 2023", at(2023, 2, 7)},
    {"french_dec_latin1_upper", "7 D\xc9" "C. 2023", at(2023, 12, 7)},
    {"french_juil_aout", "7 ao\xc3\xbbt 2023", at(2023, 8, 7)},
    {"french_avr", "7 avr. 09:37", at(2024, 4, 7, 9, 37)},
    {"spanish", "7 dic 2023", at(2023, 12, 7)},
    {"spanish_ene", "ene 7 2023", at(2023, 1, 7)},
    {"italian", "7 gen 2023", at(2023, 1, 7)},
    {"dutch", "7 mrt 2023", at(2023, 3, 7)},
    {"swedish", "7 maj 2023", at(2023, 5, 7)},
    {"polish", "7 pa\xc5\xba 2023", at(2023, 10, 7)},
    {"russian", "7 \xd0\xb4\xd0\xb5\xd0\xba 2023", at(2023, 12, 7)},
    {"russian_upper_genitive", "7 \xd0\x94\xd0\x95\xd0\x9a\xd0\x90\xd0\x91\xd0\xa0\xd0\xaf 2023", at(2023, 12, 7)},
    {"greek", "7 \xce\x94\xce\xb5\xce\xba 2023", at(2023, 12, 7)},
    {"turkish", "7 \xc5\x9e" "ub 2023", at(2023, 2, 7)},
    {"japanese_year_month_day", "2023\xe5\xb9\xb4" "12\xe6\x9c\x88" "7\xe6\x97\xa5", at(2023, 12, 7)},
    {"japanese_month_day_time", "12\xe6\x9c\x88 7\xe6\x97\xa5 09:37", at(2023, 12, 7, 9, 37)},
    {"japanese_ls_month_bare_day", "12\xe6\x9c\x88  7 09:37", at(2023, 12, 7, 9, 37)},
    {"chinese_ls_old_year", " 7\xe6\x9c\x88 12  2019", at(2019, 7, 12)},
    {"korean", "12\xec\x9b\x94 7\xec\x9d\xbc 09:37", at(2023, 12, 7, 9, 37)},
    {"korean_with_year", "2023\xeb\x85\x84 12\xec\x9b\x94 7\xec\x9d\xbc", at(2023, 12, 7)},
    {"shift_jis", "12\x8c\x8e 7\x93\xfa 09:37", at(2023, 12, 7, 9, 37)},
    {"euc_jp", "2023\xc7\xaf" "12\xb7\xee" "7\xc6\xfc", at(2023, 12, 7)},
    {"gbk", "12\xd4\xc2 7\xc8\xd5 2022", at(2022, 12, 7)},
    {"big5", "12\xa4\xeb 7\xa4\xe9 09:37", at(2023, 12, 7, 9, 37)},
    {"euc_kr", "12\xbf\xf9 7\xc0\xcf 09:37", at(2023, 12, 7, 9, 37)},
};

const std::vector<std::string> badUnixLines = {
    "",
    "   ",
    "total 12",
    "insgesamt 12",
    "\xe5\x90\x88\xe8\xa8\x88 12",
    "garbage",
    "drwxr-xr-x",
    "-rw-r--r-- 1 ftp ftp 12 Mar 32 14:07 bad-day",
    "-rw-r--r-- 1 ftp ftp 12 Feb 29  2023 no-leap-day",
    "-rw-r--r-- 1 0 0 2020 Dec  7 25:00 size-like-a-year-then-broken-time",
    "-rw-r--r-- 1 ftp ftp 12 31.04.2023 april-31",
    "-rw-r--r-- 1 ftp ftp 12 Mar 05 25:07 bad-hour",
    "-rw-r--r-- 1 ftp ftp 12 Mar 05 14:61 bad-minute",
    "-rw-r--r-- 1 ftp ftp abc Mar 05 14:07 bad-size",
    "-rw-r--r-- 1 ftp ftp 99999999999999999999999 Mar 05 14:07 size-overflow",
    "-rw-r--r-- 1 ftp ftp 12 Mar 05 14:07",
    "-rw-r--r-- 1 ftp ftp 12 Mar 05 14:07    ",
    "drwxr-xr-x 2 ftp ftp 4096 Mar 05 14:07 .",
    "drwxr-xr-x 2 ftp ftp 4096 Mar 05 14:07 ..",
    "-rw-r--r-- 1 ftp ftp 12 Mar 05 14:07 a/b",
    std::string("-rw-r--r-- 1 ftp ftp 12 Mar 05 14:07 nul\0byte", 44),
    "lrwxrwxrwx 1 ftp ftp 4 Mar 05 14:07  -> target",
    "xrw-r--r-- 1 ftp ftp 12 Mar 05 14:07 bad-type",
    "-rw-r--r--x 1 ftp ftp 12 Mar 05 14:07 eleventh-letter",
    "-rw-r-Qr-- 1 ftp ftp 12 Mar 05 14:07 bad-permission",
    "-rw-r--r--+++ 1 ftp ftp 12 Mar 05 14:07 long-permission",
    "-rw-r--r-- 1 ftp ftp 12 Mar 05 14:0714:07 glued-time",
    "-rw-r--r-- 1 ftp ftp users12 Mar 05 14:07 glue-not-certain",
    "-rw-r--r-- 1 ftp ftp 1,23 Mar 05 14:07 bad-grouping",
    "8 garbage -rw-r--r-- 1 ftp ftp 12 Mar 05 14:07 blocks-not-first",
    "               3 File(s)          1,234 bytes",
    "-rw-r--r-- 1 ftp ftp 12 2023-12-07 25:07 time-not-a-name",
    "-rw-r--r-- 1 ftp ftp 12 Dec 07 2023 09:75 time-not-a-name",
    "550 No files found.",
    "ftp> ls",
};

const std::vector<LineCase> dosCases = {
    {"iis_folder", "03-05-21  02:07PM       <DIR>          aspnet_client",
     folder("aspnet_client", std::nullopt, at(2021, 3, 5, 14, 7))},
    {"iis_file", "03-05-21  02:07PM                 1234 default.htm",
     file("default.htm", 1234, at(2021, 3, 5, 14, 7))},
    {"iis_grouped_size_and_spaces", "12-31-99  11:59PM             1,234,567 old report.doc",
     file("old report.doc", 1234567, at(1999, 12, 31, 23, 59))},
    {"iis_four_digit_year_midnight", "01-01-2021  12:00AM        5,000,000,000 huge.bin",
     file("huge.bin", 5000000000ULL, at(2021, 1, 1, 0, 0))},
    {"iis_noon", "07-04-2020  12:30PM       <DIR>          Program Files",
     folder("Program Files", std::nullopt, at(2020, 7, 4, 12, 30))},
    {"dos_24_hour_clock", "10-11-22  09:05       <DIR>          dir24",
     folder("dir24", std::nullopt, at(2022, 10, 11, 9, 5))},
    {"dos_separate_am_pm", "06-15-19  03:04 AM                17 early",
     file("early", 17, at(2019, 6, 15, 3, 4))},
    {"dos_trailing_space_kept", "06-15-19  03:04AM                17 trailing ",
     file("trailing ", 17, at(2019, 6, 15, 3, 4))},
    {"iis_iso_date_folder", "2023-12-07  09:37AM  <DIR>  name", folder("name", std::nullopt, at(2023, 12, 7, 9, 37))},
    {"iis_iso_date_24_hour", "2023-12-07  21:37                 1234 late.log", file("late.log", 1234, at(2023, 12, 7, 21, 37))},
    {"iis_iso_date_seconds", "2023-12-07  21:37:05  <DIR>  sec", folder("sec", std::nullopt, at(2023, 12, 7, 21, 37, 5))},
    {"classic_two_digit_year", "12-07-23  09:37AM  1234 name", file("name", 1234, at(2023, 12, 7, 9, 37))},
    {"slashes_and_pm", "12/07/2023  09:37 PM  <DIR>  Evening", folder("Evening", std::nullopt, at(2023, 12, 7, 21, 37))},
    {"german_windows_dots", "07.12.2023  21:37            1.234.567 bericht.doc", file("bericht.doc", 1234567, at(2023, 12, 7, 21, 37))},
    {"folder_leading_space_after_padding", "12-07-23  09:37AM       <DIR>           lead", folder(" lead", std::nullopt, at(2023, 12, 7, 9, 37))},
    {"file_leading_space", "12-07-23  09:37AM                 1234  lead", file(" lead", 1234, at(2023, 12, 7, 9, 37))},
    {"day_first_when_first_cannot_be_a_month", "13-05-21  02:07PM  12 thirteenth",
     file("thirteenth", 12, at(2021, 5, 13, 14, 7))},
    {"junction", "12-07-23  09:37AM    <JUNCTION>     Docs [C:\\Users\\me\\Documents]",
     link(folder("Docs", std::nullopt, at(2023, 12, 7, 9, 37)))},
    {"symlink_to_file", "12-07-23  09:37AM    <SYMLINK>       lead [C:\\x.txt]", link(file(" lead", std::nullopt, at(2023, 12, 7, 9, 37)))},
};

const std::vector<std::string> badDosLines = {
    "13-13-21  02:07PM  12 bad-month",
    "32-05-21  02:07PM  12 bad-day",
    "03-05-21  13:07PM  12 bad-hour",
    "03-05-21  02:07PM  <DIR>",
    "03-05-21  02:07PM  <DIR>          ",
    "03-05-21  02:07PM  1,23 bad-grouping",
    "03-05-21  02:07PM  <DIR>  .",
    "03-05-21  02:07PM  <DIR>  ..",
    "03-05-21  02:07PM  12 a/b",
    "03-05-211  02:07PM  12 three-digit-year",
    "03-05-21  02:07XM  12 bad-meridiem",
    "03-05-21  02:07PM  12x bad-size",
};

// EPLF: facts each ended by a comma, a tab, the name. The date is seconds since 1970, UTC.
const std::vector<LineCase> eplfCases = {
    {"eplf_file", "+i8388621.48594,m825718503,r,s280,\tdjb.html", file("djb.html", 280, at(1996, 3, 1, 22, 15, 3))},
    {"eplf_folder", "+i8388621.50690,m824255907,/,\t514", folder("514", std::nullopt, at(1996, 2, 13, 23, 58, 27))},
    {"eplf_leap_day_and_blanks_in_name", "+m951782400,r,s0,\t a b ", file(" a b ", 0, at(2000, 2, 29))},
    {"eplf_without_date", "+r,up644,\tbare", file("bare", std::nullopt, std::nullopt)},
};

const std::vector<std::string> badEplfLines = {
    "+i1,m0,r,s1\tlast-fact-without-comma",
    "+i1,m0,s1,\tneither-file-nor-folder",
    "+r,s1,",
    "+r,s1,\t..",
};

const std::vector<LineCase> mlsdCases = {
    {"proftpd_file",
     "modify=20210305140700;perm=adfr;size=1234;type=file;unique=803U1A;UNIX.group=1000;UNIX.mode=0644;"
     "UNIX.owner=1000; readme.txt",
     file("readme.txt", 1234, at(2021, 3, 5, 14, 7, 0))},
    {"proftpd_folder",
     "modify=20200101000000;perm=flcdmpe;type=dir;unique=803U2;UNIX.group=0;UNIX.mode=0755;UNIX.owner=0; pub",
     folder("pub", std::nullopt, at(2020, 1, 1))},
    {"pureftpd_big_file_with_spaces",
     "type=file;size=5368709120;modify=20220202020202;UNIX.mode=0644;UNIX.uid=1000;UNIX.gid=1000;"
     "unique=801g4c; big file.iso",
     file("big file.iso", 5368709120ULL, at(2022, 2, 2, 2, 2, 2))},
    {"pyftpdlib_file", "type=file;size=1024;perm=radfw;modify=20210305140759; a.bin",
     file("a.bin", 1024, at(2021, 3, 5, 14, 7, 59))},
    {"filezilla_fractional_seconds", "type=file;size=42;modify=20230102030405.123;perm=awrfd; note.txt",
     file("note.txt", 42, at(2023, 1, 2, 3, 4, 5))},
    {"iis_capitalised_facts", "Type=dir;Modify=20210305140700.000; Scripts",
     folder("Scripts", std::nullopt, at(2021, 3, 5, 14, 7))},
    {"iis_capitalised_size", "Type=file;Size=100;Modify=20210305140700.000; iis.txt",
     file("iis.txt", 100, at(2021, 3, 5, 14, 7))},
    {"unix_symlink_is_file", "type=OS.unix=symlink;size=7;modify=20210305140700; link",
     link(file("link", 7, at(2021, 3, 5, 14, 7)))},
    {"unix_slink_to_folder", "type=OS.unix=slink:/srv/data/;modify=20210305140700; data",
     link(folder("data", std::nullopt, at(2021, 3, 5, 14, 7)))},
    {"name_with_leading_space", "type=file;size=1;modify=20210305140700;  spaced",
     file(" spaced", 1, at(2021, 3, 5, 14, 7))},
    {"name_with_trailing_spaces", "type=file;size=1;modify=20210305140700; spaced  \r",
     file("spaced  ", 1, at(2021, 3, 5, 14, 7))},
    {"tab_ends_the_facts", "type=file;size=1;modify=20210305140700;\t tabbed", file(" tabbed", 1, at(2021, 3, 5, 14, 7))},
    {"name_with_semicolon_and_equals", "type=file;size=3;modify=20210305140700; a;b=c.txt",
     file("a;b=c.txt", 3, at(2021, 3, 5, 14, 7))},
    {"last_fact_without_semicolon", "type=file;size=3 plain", file("plain", 3, std::nullopt)},
    {"missing_size_and_time", "type=file; bare", file("bare", std::nullopt, std::nullopt)},
    {"bad_time_ignored", "type=file;size=9;modify=2021030514; short-time", file("short-time", 9, std::nullopt)},
    {"utf8_name", "type=file;size=2;modify=20210305140700; \xd0\xbf\xd1\x80\xd0\xb8\xd0\xb2\xd0\xb5\xd1\x82",
     file("\xd0\xbf\xd1\x80\xd0\xb8\xd0\xb2\xd0\xb5\xd1\x82", 2, at(2021, 3, 5, 14, 7))},
    {"crlf_ending_removed", "type=file;size=2;modify=20210305140700; dos.txt\r",
     file("dos.txt", 2, at(2021, 3, 5, 14, 7))},
    {"mlst_blank_in_front", " type=file;size=12;modify=20210305140700; one", file("one", 12, at(2021, 3, 5, 14, 7))},
    {"folder_size_from_sizd", "type=dir;sizd=4096;modify=20210305140700; d", folder("d", 4096, at(2021, 3, 5, 14, 7))},
    {"empty_values", "type=file;size=;modify=;perm=; e", file("e", std::nullopt, std::nullopt)},
};

const std::vector<std::string> badMlsdLines = {
    "",
    "nospace",
    "type=cdir;modify=20210305140700; /pub",
    "type=pdir;modify=20210305140700; ..",
    "Type=CDir; .",
    "type=dir;modify=20210305140700; .",
    "type=file;size=1; ..",
    "type=file;size=1; a/b",
    std::string("type=file;size=1; nul\0byte", 26),
    "total 3",
    "type=file;size=1;",
    "type=file; ",
    " no-facts",
    "  type=file;size=1; two-blanks-in-front",
    "type=file;size;modify=20210305140700; fact-without-equals",
    "=file; no-key",
    "type=file;;size=1; empty-fact",
    "-rw-r--r-- 1 ftp ftp 12 Mar 05 14:07 list-line",
};

std::vector<LineCase> withDates()
{
    std::vector<LineCase> cases;
    for (const auto& c : dateFormCases)
        cases.push_back({c.id, "-rw-r--r--   1 ftp ftp   1234 " + c.date + " f.txt", file("f.txt", 1234, c.expected)});
    return cases;
}

const std::vector<LineCase> dateCases = withDates();

std::string caseName(const testing::TestParamInfo<LineCase>& info) { return info.param.id; }

void expectEntry(const std::optional<ListEntry>& entry, const ListEntry& expected)
{
    ASSERT_TRUE(entry.has_value());
    EXPECT_EQ(entry->name, expected.name);
    EXPECT_EQ(entry->isFolder, expected.isFolder);
    EXPECT_EQ(entry->isLink, expected.isLink);
    EXPECT_EQ(entry->size, expected.size);
    ASSERT_EQ(entry->modified.has_value(), expected.modified.has_value());
    if (entry->modified) {
        EXPECT_EQ(*entry->modified, *expected.modified)
            << entry->modified->year << "-" << entry->modified->month << "-" << entry->modified->day << " "
            << entry->modified->hour << ":" << entry->modified->minute << ":" << entry->modified->second;
    }
}

class UnixLine : public testing::TestWithParam<LineCase> {};
class DateForm : public testing::TestWithParam<LineCase> {};
class DosLine : public testing::TestWithParam<LineCase> {};
class MlsdLine : public testing::TestWithParam<LineCase> {};
class EplfLine : public testing::TestWithParam<LineCase> {};

} // namespace

TEST_P(UnixLine, ParsesToTheFullEntry)
{
    expectEntry(ftp::parseUnixLine(GetParam().line, listNow), GetParam().expected);
    expectEntry(ftp::parseListLine(GetParam().line, listNow), GetParam().expected);
}
INSTANTIATE_TEST_SUITE_P(Servers, UnixLine, testing::ValuesIn(unixCases), caseName);

TEST_P(DateForm, ParsesToTheFullEntry) { expectEntry(ftp::parseListLine(GetParam().line, listNow), GetParam().expected); }
INSTANTIATE_TEST_SUITE_P(Servers, DateForm, testing::ValuesIn(dateCases), caseName);

TEST_P(DosLine, ParsesToTheFullEntry)
{
    expectEntry(ftp::parseDosLine(GetParam().line), GetParam().expected);
    expectEntry(ftp::parseListLine(GetParam().line, listNow), GetParam().expected);
}
INSTANTIATE_TEST_SUITE_P(Servers, DosLine, testing::ValuesIn(dosCases), caseName);

TEST_P(EplfLine, ParsesToTheFullEntry) { expectEntry(ftp::parseListLine(GetParam().line, listNow), GetParam().expected); }
INSTANTIATE_TEST_SUITE_P(Servers, EplfLine, testing::ValuesIn(eplfCases), caseName);

TEST_P(MlsdLine, ParsesToTheFullEntry) { expectEntry(ftp::parseMlsdLine(GetParam().line), GetParam().expected); }
INSTANTIATE_TEST_SUITE_P(Servers, MlsdLine, testing::ValuesIn(mlsdCases), caseName);

TEST(ListLineRejects, LinesThatAreNoEntry)
{
    for (const auto* table : {&badUnixLines, &badDosLines, &badEplfLines}) {
        for (const auto& line : *table)
            EXPECT_FALSE(ftp::parseListLine(line, listNow).has_value()) << "line: " << line;
    }
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
        return entry && entry->modified ? entry->modified->year : -1;
    };
    EXPECT_EQ(year("Mar 10 11:00"), 2024);
    EXPECT_EQ(year("Mar 11 10:00"), 2024);  // server clock a little ahead
    EXPECT_EQ(year("Mar 12 10:00"), 2023);
    EXPECT_EQ(year("Dec 25 10:00"), 2023);
    EXPECT_EQ(year("Jan 01 00:00"), 2024);
    EXPECT_EQ(year("12 Mar 10:00"), 2023);  // the day-first and CJK forms too
    EXPECT_EQ(year("3\xe6\x9c\x88 12\xe6\x97\xa5 10:00"), 2023);
    EXPECT_EQ(year("03-12 10:00"), 2023);
    EXPECT_EQ(ftp::parseListLine("-rw-r--r-- 1 ftp ftp 1 Feb 29 10:00 f", at(2025, 3, 10))->modified, at(2024, 2, 29, 10, 0));
    EXPECT_FALSE(ftp::parseListLine("-rw-r--r-- 1 ftp ftp 1 Feb 30 10:00 f", now));
    // Across New Year: on Jan 1 a "Dec 31" file is from last year.
    const auto entry = ftp::parseListLine("-rw-r--r-- 1 ftp ftp 1 Dec 31 23:00 f", at(2025, 1, 1, 0, 30));
    ASSERT_TRUE(entry && entry->modified);
    EXPECT_EQ(entry->modified->year, 2024);
}

TEST(ListYear, YearOnlyOverloadUsesThatYear)
{
    const auto entry = ftp::parseListLine("-rw-r--r-- 1 ftp ftp 1 Dec 31 23:00 f", 2022);
    ASSERT_TRUE(entry);
    EXPECT_EQ(entry->modified, at(2022, 12, 31, 23, 0));
    EXPECT_EQ(ftp::parseListListing("-rw-r--r-- 1 ftp ftp 1 Dec 31 23:00 f\n", 2022).at(0).modified, at(2022, 12, 31, 23, 0));
}

TEST(WholeListing, KeepsCountAndOrderAndDropsTheRest)
{
    // Dialects change mid-listing too: the parser must not stick to the last one.
    std::vector<LineCase> all = unixCases;
    all.insert(all.end(), dosCases.begin(), dosCases.end());
    all.insert(all.end(), dateCases.begin(), dateCases.end());
    all.insert(all.end(), eplfCases.begin(), eplfCases.end());
    all.insert(all.end(), unixCases.begin(), unixCases.begin() + 3);
    std::vector<std::string> bad = badUnixLines;
    bad.insert(bad.end(), badDosLines.begin(), badDosLines.end());
    std::string body = "total 1234\r\n";
    for (std::size_t i = 0; i < all.size(); ++i) {
        std::string line = all[i].line;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        body += line + (i % 2 ? "\n" : "\r\n");
        body += bad[i % bad.size()] + "\r\n";
    }
    const auto entries = ftp::parseListListing(body, listNow);
    ASSERT_EQ(entries.size(), all.size());
    for (std::size_t i = 0; i < entries.size(); ++i)
        EXPECT_EQ(entries[i], all[i].expected) << all[i].id;
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

// A listing arrives in chunks that split lines (and CRLF) anywhere.
TEST(WholeListing, ChunksSplitAnywhereGiveTheWholeBodysEntries)
{
    const std::string body = "type=file;size=1; a\r\ntype=dir; b c\r\ntype=cdir; .\r\n\r\ntype=file;size=22; d";
    const auto whole = ftp::parseMlsdListing(body);
    ASSERT_EQ(whole.size(), 3u);
    for (std::size_t split = 0; split <= body.size(); ++split) {
        ftp::ListingReader reader(ftp::ListingFormat::Mlsd, {}, 5);
        ASSERT_TRUE(reader.add(std::string_view(body).substr(0, split)));
        ASSERT_TRUE(reader.add(std::string_view(body).substr(split)));
        EXPECT_EQ(reader.finish(), whole) << split;
    }
    ftp::ListingReader reader(ftp::ListingFormat::Mlsd, {}, 3);
    EXPECT_FALSE(reader.add(body));  // four line ends
}

TEST(Robustness, ControlAndBlankCharactersInsertedAnywhereNeverCrash)
{
    const std::string inserts = "\r\n \t";
    std::vector<std::string> lines;
    for (const auto* table : {&unixCases, &dateCases, &dosCases, &mlsdCases, &eplfCases}) {
        for (const auto& c : *table)
            lines.push_back(c.line);
    }
    for (const auto* table : {&badUnixLines, &badDosLines, &badMlsdLines, &badEplfLines})
        lines.insert(lines.end(), table->begin(), table->end());
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
