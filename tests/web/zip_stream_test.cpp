// The streamed ZIP: read in small pieces, it is a valid archive of the folder with every byte of
// every file; a link back up inside the share does not make it loop, and a stop ends it early.
#include "web/zip_stream.h"

#include <archive.h>
#include <archive_entry.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "support/temp_folder.h"

namespace {

std::string ReadAll(web::ZipStream& stream, std::size_t piece) {
    std::string archive;
    std::vector<char> buffer(piece);
    for (int guard = 0; guard < 1'000'000; ++guard) {
        const std::int64_t got = stream.Read(buffer.data(), buffer.size());
        if (got <= 0) {
            EXPECT_EQ(got, 0);
            break;
        }
        archive.append(buffer.data(), static_cast<std::size_t>(got));
    }
    return archive;
}

// Name -> contents ("/" at the end of a folder's name, empty contents).
std::map<std::string, std::string> Unzip(const std::string& bytes) {
    std::map<std::string, std::string> entries;
    std::unique_ptr<archive, decltype(&archive_read_free)> reader(archive_read_new(),
                                                                  &archive_read_free);
    archive_read_support_format_zip(reader.get());
    if (archive_read_open_memory(reader.get(), bytes.data(), bytes.size()) != ARCHIVE_OK) {
        return entries;
    }
    archive_entry* entry = nullptr;
    while (archive_read_next_header(reader.get(), &entry) == ARCHIVE_OK) {
        std::string data;
        std::vector<char> buffer(65536);
        la_ssize_t got = 0;
        while ((got = archive_read_data(reader.get(), buffer.data(), buffer.size())) > 0) {
            data.append(buffer.data(), static_cast<std::size_t>(got));
        }
        entries[archive_entry_pathname(entry)] = data;
    }
    return entries;
}

TEST(ZipStreamTest, HoldsTheWholeFolderOnceReadInAnyPieces) {
    testing_support::TempFolder temp;
    std::string big(700'000, '\0');
    for (std::size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>(i * 7 + i / 251);
    temp.MakeFile("share/top/big.bin", big);
    temp.MakeFile("share/top/sub/grün.txt", "small");
    temp.MakeFile("share/top/sub/empty", "");
    temp.MakeFolder("share/top/void");
    temp.MakeFile("outside/secret", "secret");
    std::filesystem::create_symlink("..", temp.Path("share/top/sub/up"));
    std::filesystem::create_symlink(temp.Path("outside"), temp.Path("share/top/out"));
    const std::string root = std::filesystem::canonical(temp.Path("share"));

    for (const std::size_t piece : {std::size_t{1000}, std::size_t{1 << 20}}) {
        web::ZipStream stream(root + "/top", root, "top", nullptr);
        const auto entries = Unzip(ReadAll(stream, piece));
        const std::map<std::string, std::string> expected = {
            {"top/", ""},          {"top/big.bin", big},
            {"top/sub/", ""},      {"top/sub/grün.txt", "small"},
            {"top/sub/empty", ""}, {"top/void/", ""}};
        EXPECT_EQ(entries, expected) << "pieces of " << piece;
    }
}

TEST(ZipStreamTest, AStopEndsTheArchive) {
    testing_support::TempFolder temp;
    temp.MakeFile("share/a.txt", "a");
    const std::string root = std::filesystem::canonical(temp.Path("share"));
    StopFlag stop{true};
    web::ZipStream stream(root, root, "share", &stop);
    const auto entries = Unzip(ReadAll(stream, 4096));
    EXPECT_EQ(entries, (std::map<std::string, std::string>{{"share/", ""}}));
}

}  // namespace
