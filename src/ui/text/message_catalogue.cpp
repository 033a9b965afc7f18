#include "ui/text/message_catalogue.h"

#include <cstdint>
#include <fstream>
#include <iterator>

namespace ui {

namespace {

constexpr std::uint32_t kMagic = 0x950412de;
constexpr std::uint32_t kMagicSwapped = 0xde120495;
// Far above any catalogue of ours; a larger file is not one.
constexpr std::uintmax_t kMaxFileBytes = 16u << 20;

class Reader {
public:
    Reader(std::string_view bytes, bool swapped) : bytes_(bytes), swapped_(swapped) {}

    std::optional<std::uint32_t> Word(std::size_t offset) const {
        if (offset > bytes_.size() || bytes_.size() - offset < 4) return std::nullopt;
        std::uint32_t value = 0;
        for (int i = 0; i < 4; ++i) {
            const auto byte = static_cast<unsigned char>(bytes_[offset + std::size_t(i)]);
            value |= std::uint32_t(byte) << (swapped_ ? 8 * (3 - i) : 8 * i);
        }
        return value;
    }

    // String i of the table at `table`: a length and an offset per entry.
    std::optional<std::string_view> String(std::uint32_t table, std::uint32_t i) const {
        const std::size_t entry = std::size_t(table) + std::size_t(i) * 8;
        const auto length = Word(entry);
        const auto offset = Word(entry + 4);
        if (!length || !offset || *offset > bytes_.size() || bytes_.size() - *offset < *length) {
            return std::nullopt;
        }
        return bytes_.substr(*offset, *length);
    }

private:
    std::string_view bytes_;
    bool swapped_;
};

}  // namespace

std::optional<MessageCatalogue> MessageCatalogue::Parse(std::string_view bytes) {
    const auto magic = Reader(bytes, false).Word(0);
    if (!magic || (*magic != kMagic && *magic != kMagicSwapped)) return std::nullopt;
    const Reader reader(bytes, *magic == kMagicSwapped);
    const auto count = reader.Word(8);
    const auto originals = reader.Word(12);
    const auto translations = reader.Word(16);
    if (!count || !originals || !translations || *count > bytes.size() / 16) return std::nullopt;
    MessageCatalogue catalogue;
    for (std::uint32_t i = 0; i < *count; ++i) {
        const auto english = reader.String(*originals, i);
        const auto translated = reader.String(*translations, i);
        if (!english || !translated) return std::nullopt;
        // The empty key holds the catalogue's header; plural forms (after a NUL) are not used.
        if (english->empty() || english->find('\0') != std::string_view::npos) continue;
        catalogue.translations_.emplace(*english, translated->substr(0, translated->find('\0')));
    }
    return catalogue;
}

std::optional<MessageCatalogue> MessageCatalogue::Load(const std::filesystem::path& file) {
    std::error_code error;
    const std::uintmax_t size = std::filesystem::file_size(file, error);
    if (error || size > kMaxFileBytes) return std::nullopt;
    std::ifstream in(file, std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (!in.good() && !in.eof()) return std::nullopt;
    return Parse(bytes);
}

const char* MessageCatalogue::Find(std::string_view english) const {
    const auto found = translations_.find(std::string(english));
    return found == translations_.end() ? nullptr : found->second.c_str();
}

}  // namespace ui
