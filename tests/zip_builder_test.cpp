#include <gtest/gtest.h>

#include <string>
#include <variant>

#include "reading/zip_archive.h"
#include "zip_builder.h"

namespace kerfwright {
namespace {

using lacgen::ZipBuilder;
using lacgen::ZipEntry;

// Arbitrary bytes that deflate well and span several extraction chunks.
std::string longText() {
    std::string text;
    for (int i = 0; i < 5000; ++i) text += "line " + std::string(1, static_cast<char>('a' + i % 26)) + "\n";
    return text;
}

TEST(ZipBuilderTest, EntriesReadBackInOrderWithTypesAndContent) {
    const std::string archiveBytes =
        ZipBuilder()
            .add(ZipEntry{"deflated.txt", longText()})
            .add(ZipEntry{"stored.bin", std::string("\0\x01\xff", 3), false})
            .add(ZipEntry{"folder", "", false, ZipEntry::Type::directory})
            .add(ZipEntry{"link", "deflated.txt", false, ZipEntry::Type::symlink})
            .add(ZipEntry{"größe.txt", "ü"})
            .bytes();
    auto opened = zip::Archive::openInMemory(archiveBytes);
    ASSERT_TRUE(std::holds_alternative<zip::Archive>(opened));
    const auto& archive = std::get<zip::Archive>(opened);
    const auto& entries = archive.entries();
    ASSERT_EQ(entries.size(), 5u);
    EXPECT_EQ(entries[0].path, "deflated.txt");
    EXPECT_EQ(entries[1].type, zip::EntryType::file);
    EXPECT_EQ(entries[2].path, "folder/");
    EXPECT_EQ(entries[2].type, zip::EntryType::directory);
    EXPECT_EQ(entries[3].type, zip::EntryType::symlink);
    EXPECT_EQ(entries[4].path, "größe.txt");

    EXPECT_EQ(std::get<std::string>(archive.extract(entries[0])), longText());
    EXPECT_EQ(std::get<std::string>(archive.extract(entries[1])), std::string("\0\x01\xff", 3));
    EXPECT_EQ(std::get<std::string>(archive.extract(entries[3])), "deflated.txt");
    EXPECT_EQ(std::get<std::string>(archive.extract(entries[4])), "ü");
}

TEST(ZipBuilderTest, WrongChecksumFailsExtractionStoredOrDeflated) {
    for (const bool deflate : {true, false}) {
        const std::string archiveBytes =
            ZipBuilder().add(ZipEntry{"bad.txt", longText(), deflate, ZipEntry::Type::file, true}).bytes();
        auto opened = zip::Archive::openInMemory(archiveBytes);
        ASSERT_TRUE(std::holds_alternative<zip::Archive>(opened));
        const auto& archive = std::get<zip::Archive>(opened);
        const auto extracted = archive.extract(archive.entries().at(0));
        ASSERT_TRUE(std::holds_alternative<zip::ZipError>(extracted)) << "deflate " << deflate;
        EXPECT_EQ(std::get<zip::ZipError>(extracted).text, "CRC error");
    }
}

TEST(ZipBuilderTest, FindGivesTheFirstOfRepeatedNames) {
    const std::string archiveBytes =
        ZipBuilder().addFile("a/b", "first").addFile("A/b", "other").addFile("a/b", "second").bytes();
    auto opened = zip::Archive::openInMemory(archiveBytes);
    const auto& archive = std::get<zip::Archive>(opened);
    const zip::Entry* found = archive.find("a/b");
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(std::get<std::string>(archive.extract(*found)), "first");
    EXPECT_EQ(archive.find("a"), nullptr);
}

TEST(ZipBuilderTest, EmptyArchiveOpensButNoBytesDoNot) {
    auto empty = zip::Archive::openInMemory(ZipBuilder().bytes());
    ASSERT_TRUE(std::holds_alternative<zip::Archive>(empty));
    EXPECT_TRUE(std::get<zip::Archive>(empty).entries().empty());
    auto nothing = zip::Archive::openInMemory("");
    ASSERT_TRUE(std::holds_alternative<zip::ZipError>(nothing));
    EXPECT_EQ(std::get<zip::ZipError>(nothing).text, "Not a zip archive");
}

}  // namespace
}  // namespace kerfwright
