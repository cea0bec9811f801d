// The SFTP version 3 answers as servers send them, and broken ones that must
// yield nothing: the only parser of what an SFTP server sends.

#include "sftp/sftp_messages.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

using namespace sftp;

namespace {

// An answer body in wire order, as a server builds it.
struct Body {
    std::string bytes;
    Body& u8(std::uint8_t value)
    {
        bytes += char(value);
        return *this;
    }
    Body& u32(std::uint32_t value)
    {
        for (int shift = 24; shift >= 0; shift -= 8)
            bytes += char(value >> shift);
        return *this;
    }
    Body& u64(std::uint64_t value) { return u32(std::uint32_t(value >> 32)).u32(std::uint32_t(value)); }
    Body& str(const std::string& text) { return u32(std::uint32_t(text.size())).raw(text); }
    Body& raw(const std::string& text)
    {
        bytes += text;
        return *this;
    }
};

Body answer(MessageType type, std::uint32_t id) { return Body{}.u8(std::uint8_t(type)).u32(id); }

// OpenSSH's attributes of a regular file: size, owner, permissions, times.
Body& fileAttributes(Body& body, std::uint64_t size)
{
    return body.u32(0x0f).u64(size).u32(1000).u32(1000).u32(0100644).u32(1700000000).u32(1700000001);
}

// A NAME answer of OpenSSH's sftp-server for a folder with one file.
std::string openSshName()
{
    Body body = answer(MessageType::Name, 7).u32(2);
    body.str(".").str("drwxr-xr-x    2 user     user         4096 Nov 14 22:13 .")
        .u32(0x0f).u64(4096).u32(1000).u32(1000).u32(040755).u32(1700000000).u32(1700000000);
    body.str("notes.txt").str("-rw-r--r--    1 user     user           12 Nov 14 22:13 notes.txt");
    return fileAttributes(body, 12).bytes;
}

struct Expected {
    MessageType type;
    std::uint32_t id;
    std::uint32_t statusCode = 0;
    std::string text;
    std::vector<std::string> names;
    std::optional<std::uint64_t> size;
    std::optional<std::uint32_t> modified;
};

TEST(SftpMessages, answersAsServersSendThemAreReadWhole)
{
    Body extended = answer(MessageType::Attrs, 9).u32(0x80000001).u64(77).u32(2);
    extended.str("acl@example.com").str("u::rw-").str("mime@example.com").str("text/plain");
    const struct {
        const char* name;
        std::string body;
        Expected expected;
    } cases[] = {
        {"openssh_eof", answer(MessageType::Status, 3).u32(StatusEof).str("End of file").str("").bytes,
         {MessageType::Status, 3, StatusEof, "End of file"}},
        {"status_without_message_old_server", answer(MessageType::Status, 4).u32(StatusOk).bytes,
         {MessageType::Status, 4, StatusOk, ""}},
        {"openssh_handle", answer(MessageType::Handle, 5).str(std::string("\0\0\0\1", 4)).bytes,
         {MessageType::Handle, 5, 0, std::string("\0\0\0\1", 4)}},
        {"data_with_nul_bytes", answer(MessageType::Data, 6).str(std::string("a\0b\r\n", 5)).bytes,
         {MessageType::Data, 6, 0, std::string("a\0b\r\n", 5)}},
        {"openssh_name_dot_and_file", openSshName(), {MessageType::Name, 7, 0, "", {".", "notes.txt"}}},
        {"realpath_name_no_attributes", answer(MessageType::Name, 8).u32(1).str("/home/user").str("").u32(0).bytes,
         {MessageType::Name, 8, 0, "", {"/home/user"}}},
        {"attrs_with_extended_pairs", extended.bytes, {MessageType::Attrs, 9, 0, "", {}, 77}},
        {"attrs_times_only", answer(MessageType::Attrs, 10).u32(0x08).u32(1).u32(1700000002).bytes,
         {MessageType::Attrs, 10, 0, "", {}, std::nullopt, 1700000002}},
    };
    for (const auto& test : cases) {
        const auto parsed = parseResponse(test.body);
        ASSERT_TRUE(parsed) << test.name;
        EXPECT_EQ(parsed->type, test.expected.type) << test.name;
        EXPECT_EQ(parsed->id, test.expected.id) << test.name;
        EXPECT_EQ(parsed->statusCode, test.expected.statusCode) << test.name;
        EXPECT_EQ(parsed->text, test.expected.text) << test.name;
        std::vector<std::string> names;
        for (const NameEntry& entry : parsed->names)
            names.push_back(entry.name);
        EXPECT_EQ(names, test.expected.names) << test.name;
        if (test.expected.type == MessageType::Attrs) {
            EXPECT_EQ(parsed->attributes.size, test.expected.size) << test.name;
            EXPECT_EQ(parsed->attributes.modified, test.expected.modified) << test.name;
        }
    }
    // The file of the listing, attributes and all.
    const NameEntry& file = parseResponse(openSshName())->names.at(1);
    EXPECT_EQ(file.attributes.size, 12u);
    EXPECT_EQ(file.attributes.permissions, 0100644u);
    EXPECT_EQ(file.attributes.modified, 1700000001u);
    EXPECT_FALSE(file.attributes.isFolder());
    EXPECT_TRUE(parseResponse(openSshName())->names.at(0).attributes.isFolder());
}

TEST(SftpMessages, brokenAnswersYieldNothing)
{
    const std::string name = openSshName();
    const struct {
        const char* name;
        std::string body;
    } cases[] = {
        {"empty", ""},
        {"type_only", answer(MessageType::Status, 1).bytes.substr(0, 1)},
        {"id_cut_short", answer(MessageType::Status, 1).bytes.substr(0, 3)},
        {"status_code_missing", answer(MessageType::Status, 1).bytes},
        {"status_message_longer_than_body", answer(MessageType::Status, 1).u32(4).u32(100).raw("short").bytes},
        {"handle_string_cut", answer(MessageType::Handle, 1).u32(8).raw("abc").bytes},
        {"data_length_past_4gib", answer(MessageType::Data, 1).u32(0xffffffff).raw("x").bytes},
        {"name_count_past_body", answer(MessageType::Name, 1).u32(3).str("a").str("").u32(0).bytes},
        {"name_count_huge", answer(MessageType::Name, 1).u32(0xffffffff).bytes},
        {"name_cut_in_attributes", name.substr(0, name.size() - 3)},
        {"name_longname_missing", answer(MessageType::Name, 1).u32(1).str("a").bytes},
        {"attrs_size_cut", answer(MessageType::Attrs, 1).u32(0x01).u32(0).bytes},
        {"attrs_extended_count_past_body", answer(MessageType::Attrs, 1).u32(0x80000000).u32(1000).str("a").bytes},
        {"attrs_extended_value_missing", answer(MessageType::Attrs, 1).u32(0x80000000).u32(1).str("a").bytes},
        {"request_type_from_server", answer(MessageType::Open, 1).str("x").bytes},
        {"unknown_type", Body{}.u8(200).u32(1).bytes},
        {"version_where_answer_expected", Body{}.u8(std::uint8_t(MessageType::Version)).u32(3).bytes},
    };
    for (const auto& test : cases)
        EXPECT_FALSE(parseResponse(test.body)) << test.name;
}

TEST(SftpMessages, lengthAndVersionAreReadOnlyWhenWhole)
{
    EXPECT_EQ(messageLength(""), std::nullopt);
    EXPECT_EQ(messageLength(std::string("\0\0\1", 3)), std::nullopt);
    EXPECT_EQ(messageLength(std::string("\0\0\1\2rest", 8)), 258u);
    EXPECT_EQ(messageLength("\xff\xff\xff\xff"), 0xffffffffu);

    const auto version = [](std::uint32_t number) {
        return Body{}.u8(std::uint8_t(MessageType::Version)).u32(number);
    };
    const struct {
        const char* name;
        std::string body;
        std::optional<std::uint32_t> version;
    } cases[] = {
        {"openssh_with_extensions",
         version(3).str("posix-rename@openssh.com").str("1").str("fsync@openssh.com").str("1").bytes, 3},
        {"bare_version_6", version(6).bytes, 6},
        {"version_cut", version(3).bytes.substr(0, 3), std::nullopt},
        {"not_a_version", answer(MessageType::Status, 3).u32(0).bytes, std::nullopt},
        {"empty", "", std::nullopt},
    };
    for (const auto& test : cases)
        EXPECT_EQ(parseVersion(test.body), test.version) << test.name;
}

} // namespace
