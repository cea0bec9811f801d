#include "ftp/listing/month_names.h"

#include "ftp/listing/line_tokens.h"

#include <algorithm>
#include <string>
#include <unordered_map>

namespace ftp::listing {

namespace {

// Lower-case spellings. Letters of Latin-1 are written as Latin-1 bytes
// (the lookup folds UTF-8 "\xc3\xa4" to "\xe4"); other scripts as UTF-8.
// Order does not matter: no spelling names two different months.
struct MonthName {
    std::string_view name;
    int month;
};

constexpr MonthName monthNames[] = {
    // English
    {"jan", 1}, {"feb", 2}, {"mar", 3}, {"apr", 4}, {"may", 5}, {"jun", 6},
    {"jul", 7}, {"aug", 8}, {"sep", 9}, {"sept", 9}, {"oct", 10}, {"nov", 11}, {"dec", 12},
    {"january", 1}, {"february", 2}, {"march", 3}, {"april", 4}, {"june", 6}, {"july", 7},
    {"august", 8}, {"september", 9}, {"october", 10}, {"november", 11}, {"december", 12},
    // German, Austrian
    {"j\xe4n", 1}, {"m\xe4r", 3}, {"mrz", 3}, {"mai", 5}, {"okt", 10}, {"dez", 12},
    {"januar", 1}, {"j\xe4nner", 1}, {"februar", 2}, {"m\xe4rz", 3}, {"juni", 6}, {"juli", 7},
    {"oktober", 10}, {"dezember", 12},
    // French
    {"janv", 1}, {"f\xe9vr", 2}, {"f\xe9v", 2}, {"fevr", 2}, {"fev", 2}, {"mars", 3}, {"avr", 4},
    {"juin", 6}, {"juil", 7}, {"ao\xfbt", 8}, {"aout", 8}, {"d\xe9" "c", 12},
    {"janvier", 1}, {"f\xe9vrier", 2}, {"avril", 4}, {"juillet", 7}, {"septembre", 9},
    {"octobre", 10}, {"novembre", 11}, {"d\xe9" "cembre", 12},
    // Spanish
    {"ene", 1}, {"abr", 4}, {"ago", 8}, {"set", 9}, {"dic", 12},
    {"enero", 1}, {"febrero", 2}, {"marzo", 3}, {"abril", 4}, {"mayo", 5}, {"junio", 6},
    {"julio", 7}, {"agosto", 8}, {"septiembre", 9}, {"setiembre", 9}, {"octubre", 10},
    {"noviembre", 11}, {"diciembre", 12},
    // Italian
    {"gen", 1}, {"mag", 5}, {"giu", 6}, {"lug", 7}, {"ott", 10},
    {"gennaio", 1}, {"febbraio", 2}, {"aprile", 4}, {"maggio", 5}, {"giugno", 6}, {"luglio", 7},
    {"settembre", 9}, {"ottobre", 10}, {"dicembre", 12},
    // Portuguese
    {"out", 10}, {"janeiro", 1}, {"fevereiro", 2}, {"mar\xe7o", 3}, {"maio", 5}, {"junho", 6},
    {"julho", 7}, {"setembro", 9}, {"outubro", 10}, {"novembro", 11}, {"dezembro", 12},
    // Dutch
    {"mrt", 3}, {"mei", 5}, {"januari", 1}, {"februari", 2}, {"maart", 3}, {"augustus", 8},
    // Swedish, Danish, Norwegian
    {"maj", 5}, {"augusti", 8}, {"marts", 3},
    // Catalan
    {"febr", 2}, {"mar\xe7", 3}, {"maig", 5}, {"juny", 6}, {"ag", 8}, {"des", 12},
    // Indonesian, Malay
    {"agu", 8}, {"agt", 8}, {"ogo", 8}, {"dis", 12},
    // Romanian
    {"ian", 1}, {"iun", 6}, {"iul", 7}, {"noi", 11},
    // Hungarian
    {"m\xe1rc", 3}, {"\xe1pr", 4}, {"m\xe1j", 5}, {"j\xfan", 6}, {"j\xfal", 7}, {"szept", 9},
    {"janu\xe1r", 1}, {"febru\xe1r", 2}, {"m\xe1rcius", 3}, {"\xe1prilis", 4}, {"m\xe1jus", 5},
    {"j\xfanius", 6}, {"j\xfalius", 7}, {"augusztus", 8}, {"szeptember", 9}, {"okt\xf3" "ber", 10},
    // Finnish
    {"tammi", 1}, {"helmi", 2}, {"maalis", 3}, {"huhti", 4}, {"touko", 5}, {"kes\xe4", 6},
    {"hein\xe4", 7}, {"elo", 8}, {"syys", 9}, {"loka", 10}, {"marras", 11}, {"joulu", 12},
    {"tammikuu", 1}, {"helmikuu", 2}, {"maaliskuu", 3}, {"huhtikuu", 4}, {"toukokuu", 5},
    {"kes\xe4kuu", 6}, {"hein\xe4kuu", 7}, {"elokuu", 8}, {"syyskuu", 9}, {"lokakuu", 10},
    {"marraskuu", 11}, {"joulukuu", 12},
    {"tammik", 1}, {"helmik", 2}, {"maalisk", 3}, {"huhtik", 4}, {"toukok", 5}, {"kes\xe4k", 6},
    {"hein\xe4k", 7}, {"elok", 8}, {"syysk", 9}, {"lokak", 10}, {"marrask", 11}, {"jouluk", 12},
    // Polish (the lookup folds Latin Extended-A letters, so UTF-8 stays here)
    {"sty", 1}, {"lut", 2}, {"kwi", 4}, {"cze", 6}, {"lip", 7}, {"sie", 8}, {"wrz", 9},
    {"pa\xc5\xba", 10}, {"lis", 11}, {"gru", 12},
    {"stycze\xc5\x84", 1}, {"stycznia", 1}, {"luty", 2}, {"lutego", 2}, {"marzec", 3}, {"marca", 3},
    {"kwiecie\xc5\x84", 4}, {"kwietnia", 4}, {"maja", 5}, {"czerwiec", 6}, {"czerwca", 6},
    {"lipiec", 7}, {"lipca", 7}, {"sierpie\xc5\x84", 8}, {"sierpnia", 8}, {"wrzesie\xc5\x84", 9},
    {"wrze\xc5\x9bnia", 9}, {"pa\xc5\xba" "dziernik", 10}, {"pa\xc5\xba" "dziernika", 10},
    {"listopad", 11}, {"listopada", 11}, {"grudzie\xc5\x84", 12}, {"grudnia", 12},
    // Polish, Czech, Turkish, Lithuanian and Latvian in their legacy 8-bit
    // code pages (ISO 8859-2, -9 and -13), where they differ from Latin-1.
    {"pa\xbc", 10}, {"b\xf8" "e", 3}, {"kv\xec", 5}, {"\xe8vn", 6}, {"\xe8vc", 7}, {"z\xe1\xf8", 9},
    {"\xf8\xedj", 10}, {"b\xf8" "ezen", 3}, {"kv\xec" "ten", 5}, {"\xe8" "erven", 6}, {"\xe8" "ervenec", 7},
    {"z\xe1\xf8\xed", 9}, {"\xf8\xedjen", 10},
    {"\xe8" "en", 6}, {"\xe8" "ec", 7}, {"bir\xfe", 6}, {"j\xfbn", 6}, {"j\xfbl", 7},
    {"\xfeub", 2}, {"a\xf0u", 8}, {"\xfeubat", 2}, {"may\xfds", 5}, {"a\xf0ustos", 8}, {"kas\xfdm", 11},
    {"aral\xfdk", 12},
    // Czech, Slovak
    {"led", 1}, {"\xfano", 2}, {"b\xc5\x99" "e", 3}, {"dub", 4}, {"kv\xc4\x9b", 5},
    {"\xc4\x8dvn", 6}, {"\xc4\x8dvc", 7}, {"srp", 8}, {"z\xe1\xc5\x99", 9}, {"\xc5\x99\xedj", 10},
    {"pro", 12},
    {"leden", 1}, {"\xfanor", 2}, {"b\xc5\x99" "ezen", 3}, {"duben", 4}, {"kv\xc4\x9b" "ten", 5},
    {"\xc4\x8d" "erven", 6}, {"\xc4\x8d" "ervenec", 7}, {"srpen", 8}, {"z\xe1\xc5\x99\xed", 9},
    {"\xc5\x99\xedjen", 10}, {"prosinec", 12},
    // Turkish
    {"oca", 1}, {"\xc5\x9f" "ub", 2}, {"nis", 4}, {"haz", 6}, {"tem", 7}, {"a\xc4\x9fu", 8},
    {"eyl", 9}, {"eki", 10}, {"kas", 11}, {"ara", 12},
    {"ocak", 1}, {"\xc5\x9f" "ubat", 2}, {"mart", 3}, {"nisan", 4}, {"may\xc4\xb1s", 5},
    {"haziran", 6}, {"temmuz", 7}, {"a\xc4\x9fustos", 8}, {"eyl\xfcl", 9}, {"ekim", 10},
    {"kas\xc4\xb1m", 11}, {"aral\xc4\xb1k", 12},
    // Russian: abbreviations, the names, and the genitive that dates use
    {"\xd1\x8f\xd0\xbd\xd0\xb2", 1}, {"\xd1\x84\xd0\xb5\xd0\xb2", 2}, {"\xd0\xbc\xd0\xb0\xd1\x80", 3},
    {"\xd0\xb0\xd0\xbf\xd1\x80", 4}, {"\xd0\xbc\xd0\xb0\xd0\xb9", 5}, {"\xd0\xbc\xd0\xb0\xd1\x8f", 5},
    {"\xd0\xb8\xd1\x8e\xd0\xbd", 6}, {"\xd0\xb8\xd1\x8e\xd0\xbb", 7}, {"\xd0\xb0\xd0\xb2\xd0\xb3", 8},
    {"\xd1\x81\xd0\xb5\xd0\xbd", 9}, {"\xd1\x81\xd0\xb5\xd0\xbd\xd1\x82", 9},
    {"\xd0\xbe\xd0\xba\xd1\x82", 10}, {"\xd0\xbd\xd0\xbe\xd1\x8f", 11}, {"\xd0\xb4\xd0\xb5\xd0\xba", 12},
    {"\xd1\x84\xd0\xb5\xd0\xb2\xd1\x80", 2}, {"\xd0\xb8\xd1\x8e\xd0\xbd\xd1\x8f", 6},
    {"\xd0\xb8\xd1\x8e\xd0\xbb\xd1\x8f", 7}, {"\xd0\xbd\xd0\xbe\xd1\x8f\xd0\xb1", 11},
    {"\xd1\x8f\xd0\xbd\xd0\xb2\xd0\xb0\xd1\x80\xd1\x8c", 1}, {"\xd1\x8f\xd0\xbd\xd0\xb2\xd0\xb0\xd1\x80\xd1\x8f", 1},
    {"\xd1\x84\xd0\xb5\xd0\xb2\xd1\x80\xd0\xb0\xd0\xbb\xd1\x8c", 2}, {"\xd1\x84\xd0\xb5\xd0\xb2\xd1\x80\xd0\xb0\xd0\xbb\xd1\x8f", 2},
    {"\xd0\xbc\xd0\xb0\xd1\x80\xd1\x82", 3}, {"\xd0\xbc\xd0\xb0\xd1\x80\xd1\x82\xd0\xb0", 3},
    {"\xd0\xb0\xd0\xbf\xd1\x80\xd0\xb5\xd0\xbb\xd1\x8c", 4}, {"\xd0\xb0\xd0\xbf\xd1\x80\xd0\xb5\xd0\xbb\xd1\x8f", 4},
    {"\xd0\xb8\xd1\x8e\xd0\xbd\xd1\x8c", 6}, {"\xd0\xb8\xd1\x8e\xd0\xbd\xd1\x8f", 6},
    {"\xd0\xb8\xd1\x8e\xd0\xbb\xd1\x8c", 7}, {"\xd0\xb8\xd1\x8e\xd0\xbb\xd1\x8f", 7},
    {"\xd0\xb0\xd0\xb2\xd0\xb3\xd1\x83\xd1\x81\xd1\x82", 8}, {"\xd0\xb0\xd0\xb2\xd0\xb3\xd1\x83\xd1\x81\xd1\x82\xd0\xb0", 8},
    {"\xd1\x81\xd0\xb5\xd0\xbd\xd1\x82\xd1\x8f\xd0\xb1\xd1\x80\xd1\x8c", 9}, {"\xd1\x81\xd0\xb5\xd0\xbd\xd1\x82\xd1\x8f\xd0\xb1\xd1\x80\xd1\x8f", 9},
    {"\xd0\xbe\xd0\xba\xd1\x82\xd1\x8f\xd0\xb1\xd1\x80\xd1\x8c", 10}, {"\xd0\xbe\xd0\xba\xd1\x82\xd1\x8f\xd0\xb1\xd1\x80\xd1\x8f", 10},
    {"\xd0\xbd\xd0\xbe\xd1\x8f\xd0\xb1\xd1\x80\xd1\x8c", 11}, {"\xd0\xbd\xd0\xbe\xd1\x8f\xd0\xb1\xd1\x80\xd1\x8f", 11},
    {"\xd0\xb4\xd0\xb5\xd0\xba\xd0\xb0\xd0\xb1\xd1\x80\xd1\x8c", 12}, {"\xd0\xb4\xd0\xb5\xd0\xba\xd0\xb0\xd0\xb1\xd1\x80\xd1\x8f", 12},
    // Ukrainian
    {"\xd1\x81\xd1\x96\xd1\x87", 1}, {"\xd0\xbb\xd1\x8e\xd1\x82", 2}, {"\xd0\xb1\xd0\xb5\xd1\x80", 3},
    {"\xd0\xba\xd0\xb2\xd1\x96", 4}, {"\xd1\x82\xd1\x80\xd0\xb0", 5}, {"\xd1\x87\xd0\xb5\xd1\x80", 6},
    {"\xd0\xbb\xd0\xb8\xd0\xbf", 7}, {"\xd1\x81\xd0\xb5\xd1\x80", 8}, {"\xd0\xb2\xd0\xb5\xd1\x80", 9},
    {"\xd0\xb6\xd0\xbe\xd0\xb2", 10}, {"\xd0\xbb\xd0\xb8\xd1\x81", 11}, {"\xd0\xb3\xd1\x80\xd1\x83", 12},
    // Bulgarian, Serbian Cyrillic (where they differ from the above)
    {"\xd1\x8e\xd0\xbd\xd0\xb8", 6}, {"\xd1\x8e\xd0\xbb\xd0\xb8", 7}, {"\xd1\x81\xd0\xb5\xd0\xbf", 9},
    // Estonian, Latvian, Lithuanian
    {"jaan", 1}, {"veebr", 2}, {"m\xe4rts", 3}, {"juuni", 6}, {"juuli", 7}, {"dets", 12}, {"j\xc5\xabn", 6},
    {"j\xc5\xabl", 7}, {"saus", 1}, {"vas", 2}, {"kov", 3}, {"bal", 4}, {"geg", 5}, {"bir\xc5\xbe", 6}, {"liep", 7},
    {"rugp", 8}, {"rugs", 9}, {"spal", 10}, {"lapkr", 11}, {"gruod", 12},
    // Basque, Galician, Slovene, Icelandic, Malay, Uzbek
    {"urt", 1}, {"ots", 2}, {"api", 4}, {"eka", 6}, {"uzt", 7}, {"abu", 8}, {"ira", 9}, {"urr", 10}, {"aza", 11},
    {"abe", 12}, {"xan", 1}, {"xu\xf1", 6}, {"xul", 7}, {"avg", 8}, {"ma\xed", 5}, {"\xe1g\xfa", 8}, {"n\xf3v", 11},
    {"mac", 3}, {"ogos", 8}, {"yan", 1}, {"iyn", 6}, {"iyl", 7}, {"noy", 11}, {"dek", 12},
    // French of Belgium, Canada and Switzerland; Czech as newer systems abbreviate it
    {"jui", 7}, {"ao\xfb", 8}, {"\xc4\x8d" "en", 6}, {"\xc4\x8d" "ec", 7},
    // Bulgarian, Serbian, Macedonian, Belarusian
    {"\xd1\x8f\xd0\xbd\xd1\x83", 1}, {"\xd0\xbd\xd0\xbe\xd0\xb5", 11}, {"\xd1\x98\xd0\xb0\xd0\xbd", 1},
    {"\xd0\xbc\xd0\xb0\xd1\x98", 5}, {"\xd1\x98\xd1\x83\xd0\xbd", 6}, {"\xd1\x98\xd1\x83\xd0\xbb", 7},
    {"\xd0\xbd\xd0\xbe\xd0\xb2", 11}, {"\xd0\xb4\xd0\xb5\xd1\x86", 12}, {"\xd1\x84\xd0\xb5\xd0\xb1", 2},
    {"\xd1\x81\xd1\x82\xd1\x83", 1}, {"\xd1\x81\xd0\xb0\xd0\xba", 3}, {"\xd0\xba\xd1\x80\xd0\xb0", 4},
    {"\xd1\x87\xd1\x8d\xd1\x80", 6}, {"\xd0\xbb\xd1\x96\xd0\xbf", 7}, {"\xd0\xb6\xd0\xbd\xd1\x96", 8},
    {"\xd0\xba\xd0\xb0\xd1\x81", 10}, {"\xd0\xbb\xd1\x96\xd1\x81", 11}, {"\xd1\x81\xd0\xbd\xd0\xb5", 12},
    // Greek, without accents: the lookup drops them, so "Μάρ" finds "μαρ"
    {"\xce\xb9\xce\xb1\xce\xbd", 1}, {"\xcf\x86\xce\xb5\xce\xb2", 2}, {"\xce\xbc\xce\xb1\xcf\x81", 3},
    {"\xce\xb1\xcf\x80\xcf\x81", 4}, {"\xce\xbc\xce\xb1\xce\xb9", 5}, {"\xce\xb9\xce\xbf\xcf\x85\xce\xbd", 6},
    {"\xce\xb9\xce\xbf\xcf\x85\xce\xbb", 7}, {"\xce\xb1\xcf\x85\xce\xb3", 8}, {"\xcf\x83\xce\xb5\xcf\x80", 9},
    {"\xce\xbf\xce\xba\xcf\x84", 10}, {"\xce\xbd\xce\xbf\xce\xb5", 11}, {"\xce\xb4\xce\xb5\xce\xba", 12},
};

void appendUtf8(std::string& out, unsigned codePoint)
{
    out += char(0xC0 | (codePoint >> 6));
    out += char(0x80 | (codePoint & 0x3F));
}

// A Greek letter in lower case without its accent; any other code point as it is.
unsigned plainGreek(unsigned codePoint)
{
    if (codePoint >= 0x391 && codePoint <= 0x3A9)
        return codePoint + 0x20;
    switch (codePoint) {
    case 0x386: case 0x3AC: return 0x3B1;              // alpha
    case 0x388: case 0x3AD: return 0x3B5;              // epsilon
    case 0x389: case 0x3AE: return 0x3B7;              // eta
    case 0x38A: case 0x3AF: case 0x390: case 0x3CA: return 0x3B9;  // iota
    case 0x38C: case 0x3CC: return 0x3BF;              // omicron
    case 0x38E: case 0x3CD: case 0x3B0: case 0x3CB: return 0x3C5;  // upsilon
    case 0x38F: case 0x3CE: return 0x3C9;              // omega
    default: return codePoint;
    }
}

// Lower case as the table spells it. Only the scripts the table holds are
// folded; any other byte is kept, so it simply matches nothing.
std::string folded(std::string_view word)
{
    std::string out;
    out.reserve(word.size());
    for (std::size_t i = 0; i < word.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(word[i]);
        const unsigned char next = i + 1 < word.size() ? static_cast<unsigned char>(word[i + 1]) : 0;
        const bool continued = (next & 0xC0) == 0x80;
        if (c < 0x80) {
            out += lowerAscii(char(c));
        } else if ((c == 0xC2 || c == 0xC3) && continued) {
            // UTF-8 of a Latin-1 letter: its Latin-1 byte, lower-cased.
            unsigned latin1 = ((c & 0x1F) << 6) | (next & 0x3F);
            if (latin1 >= 0xC0 && latin1 <= 0xDE && latin1 != 0xD7)
                latin1 += 0x20;
            out += char(latin1);
            ++i;
        } else if ((c == 0xC4 || c == 0xC5) && continued) {
            // Latin Extended-A pairs upper and lower case as neighbours.
            unsigned codePoint = ((c & 0x1F) << 6) | (next & 0x3F);
            const bool oddIsUpper = (codePoint >= 0x139 && codePoint <= 0x148) || (codePoint >= 0x179 && codePoint <= 0x17E);
            const bool evenIsUpper = (codePoint >= 0x100 && codePoint <= 0x137) || (codePoint >= 0x14A && codePoint <= 0x177);
            if ((oddIsUpper && codePoint % 2 == 1) || (evenIsUpper && codePoint % 2 == 0))
                ++codePoint;
            appendUtf8(out, codePoint);
            ++i;
        } else if ((c == 0xD0 || c == 0xCE || c == 0xCF) && continued) {
            // Cyrillic and Greek capitals; Greek accents dropped.
            unsigned codePoint = ((c & 0x1F) << 6) | (next & 0x3F);
            if (codePoint >= 0x400 && codePoint <= 0x40F)
                codePoint += 0x50;
            else if (codePoint >= 0x410 && codePoint <= 0x42F)
                codePoint += 0x20;
            else
                codePoint = plainGreek(codePoint);
            appendUtf8(out, codePoint);
            ++i;
        } else if (c >= 0xC0 && continued) {
            out += char(c);  // another two-byte letter: kept as it is
            out += char(next);
            ++i;
        } else if (c >= 0xC0 && c <= 0xDE && c != 0xD7) {
            out += char(c + 0x20);  // a Latin-1 capital
        } else {
            out += char(c);
        }
    }
    return out;
}

// Servers with an old locale print Cyrillic and Greek months in one of the
// 8-bit code pages of their time. Read as the letters they stand for, the
// word can be looked up like UTF-8; a word that is a month in none of them
// stays unknown.
enum class CodePage { Windows1251, Koi8, Iso8859_5, Greek8 };

// The letter a byte above 0x7F stands for, or 0 when it is none we read.
unsigned letterOf(unsigned char c, CodePage codePage)
{
    // KOI8-R's lower-case letters in the order of their bytes 0xC0..0xDF;
    // 0xE0..0xFF hold the same letters in upper case.
    static constexpr char16_t koi8[32] = {
        u'ю', u'а', u'б', u'ц', u'д', u'е', u'ф', u'г', u'х', u'и', u'й', u'к', u'л', u'м', u'н', u'о',
        u'п', u'я', u'р', u'с', u'т', u'у', u'ж', u'в', u'ь', u'ы', u'з', u'ш', u'э', u'щ', u'ч', u'ъ',
    };
    switch (codePage) {
    case CodePage::Windows1251:
        if (c >= 0xC0)
            return 0x410 + (c - 0xC0);
        // The Ukrainian, Belarusian and Serbian letters.
        switch (c) {
        case 0xB3: case 0xB2: return u'і';
        case 0xBF: case 0xAF: return u'ї';
        case 0xBA: case 0xAA: return u'є';
        case 0xA2: case 0xA1: return u'ў';
        case 0xBC: case 0xA3: return u'ј';
        default: return 0;
        }
    case CodePage::Koi8:
        if (c >= 0xC0)
            return koi8[c & 0x1F];
        // KOI8-U's Ukrainian letters.
        switch (c) {
        case 0xA6: case 0xB6: return u'і';
        case 0xA7: case 0xB7: return u'ї';
        case 0xA4: case 0xB4: return u'є';
        default: return 0;
        }
    case CodePage::Iso8859_5:
        return c >= 0xA1 && c != 0xAD && c != 0xF0 && c != 0xFD ? 0x360 + c : 0;
    case CodePage::Greek8:
        // ISO 8859-7, and Windows-1253 but for its capital alpha with accent.
        if (c == 0xA2)
            return u'ά';
        return c >= 0xB6 && c != 0xB7 && c != 0xBB && c != 0xBD ? 0x2D0 + c : 0;
    }
    return 0;
}

std::string fromCodePage(std::string_view word, CodePage codePage)
{
    std::string out;
    out.reserve(word.size() * 2);
    for (char ch : word) {
        const unsigned char c = static_cast<unsigned char>(ch);
        if (c < 0x80) {
            out += ch;
            continue;
        }
        const unsigned letter = letterOf(c, codePage);
        if (letter == 0)
            return {};
        appendUtf8(out, letter);
    }
    return out;
}

const std::unordered_map<std::string_view, int>& monthTable()
{
    static const std::unordered_map<std::string_view, int> table = [] {
        std::unordered_map<std::string_view, int> map;
        for (const auto& entry : monthNames)
            map.emplace(entry.name, entry.month);
        return map;
    }();
    return table;
}

// "Jan".."Dec" in any case, without building a string: nearly every server
// prints these, and the parser asks for a month at several columns per line.
int englishMonth(std::string_view word)
{
    if (word.size() != 3)
        return 0;
    const unsigned key = (unsigned(std::uint8_t(lowerAscii(word[0]))) << 16)
        | (unsigned(std::uint8_t(lowerAscii(word[1]))) << 8) | unsigned(std::uint8_t(lowerAscii(word[2])));
    constexpr auto pack = [](const char (&s)[4]) {
        return (unsigned(std::uint8_t(s[0])) << 16) | (unsigned(std::uint8_t(s[1])) << 8) | unsigned(std::uint8_t(s[2]));
    };
    switch (key) {
    case pack("jan"): return 1;
    case pack("feb"): return 2;
    case pack("mar"): return 3;
    case pack("apr"): return 4;
    case pack("may"): return 5;
    case pack("jun"): return 6;
    case pack("jul"): return 7;
    case pack("aug"): return 8;
    case pack("sep"): return 9;
    case pack("oct"): return 10;
    case pack("nov"): return 11;
    case pack("dec"): return 12;
    default: return 0;
    }
}

} // namespace

std::optional<int> monthNumber(std::string_view word)
{
    if (const int month = englishMonth(word))
        return month;
    if (!word.empty() && (word.back() == '.' || word.back() == ','))
        word.remove_suffix(1);
    if (word.size() < 2 || word.size() > 24 || isDigit(word.front()))
        return std::nullopt;
    if (const int month = englishMonth(word))
        return month;
    const auto& table = monthTable();
    if (const auto found = table.find(folded(word)); found != table.end())
        return found->second;
    const bool eightBit = std::any_of(word.begin(), word.end(), [](char c) { return static_cast<unsigned char>(c) >= 0xA1; });
    if (!eightBit)
        return std::nullopt;
    for (const auto codePage : {CodePage::Windows1251, CodePage::Koi8, CodePage::Iso8859_5, CodePage::Greek8}) {
        const std::string letters = fromCodePage(word, codePage);
        if (letters.empty())
            continue;
        if (const auto found = table.find(folded(letters)); found != table.end())
            return found->second;
    }
    return std::nullopt;
}

} // namespace ftp::listing
