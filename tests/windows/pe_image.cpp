#include "pe_image.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>
#include <optional>

#include "common/ascii_case.h"

namespace lt77::test_support {
namespace {

constexpr uint16_t kPe32PlusMagic = 0x20B;
constexpr std::size_t kExportDirectory = 0;
constexpr std::size_t kImportDirectory = 1;

class Reader {
public:
    explicit Reader(std::span<const uint8_t> bytes) : bytes_(bytes) {}

    template <class T>
    std::optional<T> At(uint64_t offset) const
    {
        if (offset > bytes_.size() || bytes_.size() - offset < sizeof(T)) return std::nullopt;
        T value;
        std::memcpy(&value, bytes_.data() + offset, sizeof(T));
        return value;
    }
    std::optional<std::string> StringAt(uint64_t offset) const
    {
        if (offset >= bytes_.size()) return std::nullopt;
        const auto* start = reinterpret_cast<const char*>(bytes_.data() + offset);
        const std::size_t max = bytes_.size() - offset;
        const std::size_t length = strnlen(start, max);
        if (length == max) return std::nullopt;
        return std::string(start, length);
    }

private:
    std::span<const uint8_t> bytes_;
};

struct Section {
    uint32_t virtualAddress, virtualSize, rawOffset, rawSize;
};

class Image {
public:
    Image(Reader reader, std::vector<Section> sections) : reader_(reader), sections_(std::move(sections)) {}

    std::optional<uint64_t> OffsetOf(uint32_t rva) const
    {
        for (const auto& s : sections_) {
            const uint32_t size = std::max(s.virtualSize, s.rawSize);
            if (rva >= s.virtualAddress && rva - s.virtualAddress < size) {
                if (rva - s.virtualAddress >= s.rawSize) return std::nullopt;
                return uint64_t{s.rawOffset} + (rva - s.virtualAddress);
            }
        }
        return std::nullopt;
    }
    template <class T>
    std::optional<T> AtRva(uint32_t rva) const
    {
        const auto offset = OffsetOf(rva);
        if (!offset) return std::nullopt;
        return reader_.At<T>(*offset);
    }
    std::optional<std::string> StringAtRva(uint32_t rva) const
    {
        const auto offset = OffsetOf(rva);
        if (!offset) return std::nullopt;
        return reader_.StringAt(*offset);
    }

private:
    Reader reader_;
    std::vector<Section> sections_;
};

std::optional<std::string> ReadExports(const Image& image, uint32_t directoryRva, PeImage& out)
{
    const auto count = image.AtRva<uint32_t>(directoryRva + 24);
    const auto namesRva = image.AtRva<uint32_t>(directoryRva + 32);
    if (!count || !namesRva) return "the export directory lies outside the file";
    for (uint32_t i = 0; i < *count; ++i) {
        const auto nameRva = image.AtRva<uint32_t>(*namesRva + 4 * i);
        const auto name = nameRva ? image.StringAtRva(*nameRva) : std::nullopt;
        if (!name) return "export name " + std::to_string(i) + " lies outside the file";
        out.exportNames.push_back(*name);
    }
    return std::nullopt;
}

std::optional<std::string> ReadImports(const Image& image, uint32_t directoryRva, PeImage& out)
{
    for (uint32_t entry = directoryRva;; entry += 20) {
        const auto lookupRva = image.AtRva<uint32_t>(entry);
        const auto nameRva = image.AtRva<uint32_t>(entry + 12);
        const auto addressRva = image.AtRva<uint32_t>(entry + 16);
        if (!lookupRva || !nameRva || !addressRva) return "an import descriptor lies outside the file";
        if (*lookupRva == 0 && *nameRva == 0 && *addressRva == 0) return std::nullopt;
        const auto library = image.StringAtRva(*nameRva);
        if (!library) return "an imported library name lies outside the file";
        auto& functions = out.imports[*library];
        // Some linkers leave the lookup table out; the address table then
        // holds the same entries until the image is bound.
        const uint32_t thunks = *lookupRva != 0 ? *lookupRva : *addressRva;
        for (uint32_t thunk = thunks;; thunk += 8) {
            const auto value = image.AtRva<uint64_t>(thunk);
            if (!value) return "the imports of " + *library + " lie outside the file";
            if (*value == 0) break;
            if ((*value >> 63) != 0) {
                functions.push_back("#" + std::to_string(*value & 0xFFFF));
                continue;
            }
            const auto name = image.StringAtRva(static_cast<uint32_t>(*value) + 2);
            if (!name) return "an import name of " + *library + " lies outside the file";
            functions.push_back(*name);
        }
    }
}

}  // namespace

std::variant<PeImage, std::string> ParsePeImage(std::span<const uint8_t> bytes)
{
    const Reader reader(bytes);
    if (reader.At<uint16_t>(0) != uint16_t{0x5A4D}) return std::string("no MZ header");
    const auto peOffset = reader.At<uint32_t>(0x3C);
    if (!peOffset || reader.At<uint32_t>(*peOffset) != uint32_t{0x00004550}) return std::string("no PE signature");
    const uint64_t coff = *peOffset + 4;
    const auto machine = reader.At<uint16_t>(coff);
    const auto sectionCount = reader.At<uint16_t>(coff + 2);
    const auto optionalSize = reader.At<uint16_t>(coff + 16);
    if (!machine || !sectionCount || !optionalSize) return std::string("truncated file header");
    const uint64_t optional = coff + 20;
    if (reader.At<uint16_t>(optional) != kPe32PlusMagic) return std::string("not a PE32+ (64-bit) image");
    const auto directoryCount = reader.At<uint32_t>(optional + 108);
    if (!directoryCount) return std::string("truncated optional header");

    std::vector<Section> sections;
    const uint64_t table = optional + *optionalSize;
    for (uint16_t i = 0; i < *sectionCount; ++i) {
        const uint64_t s = table + 40ull * i;
        const auto virtualSize = reader.At<uint32_t>(s + 8);
        const auto virtualAddress = reader.At<uint32_t>(s + 12);
        const auto rawSize = reader.At<uint32_t>(s + 16);
        const auto rawOffset = reader.At<uint32_t>(s + 20);
        if (!virtualSize || !virtualAddress || !rawSize || !rawOffset) return std::string("truncated section table");
        sections.push_back({*virtualAddress, *virtualSize, *rawOffset, *rawSize});
    }
    const Image image(reader, std::move(sections));

    PeImage out;
    out.machine = *machine;
    const auto directoryRva = [&](std::size_t index) -> uint32_t {
        if (index >= *directoryCount) return 0;
        return reader.At<uint32_t>(optional + 112 + 8 * index).value_or(0);
    };
    if (const uint32_t rva = directoryRva(kExportDirectory); rva != 0)
        if (auto error = ReadExports(image, rva, out)) return *error;
    if (const uint32_t rva = directoryRva(kImportDirectory); rva != 0)
        if (auto error = ReadImports(image, rva, out)) return *error;
    return out;
}

const PeImage& PeImageOf(const std::string& path)
{
    static std::map<std::string, PeImage> images;
    if (const auto found = images.find(path); found != images.end()) return found->second;
    std::ifstream in(path, std::ios::binary);
    const std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    auto parsed = ParsePeImage(bytes);
    PeImage image;
    if (const auto* error = std::get_if<std::string>(&parsed))
        ADD_FAILURE() << path << ": " << *error;
    else
        image = std::move(std::get<PeImage>(parsed));
    return images.emplace(path, std::move(image)).first->second;
}

std::vector<std::string> ForeignImports(const PeImage& image, std::initializer_list<std::string_view> allowed)
{
    std::vector<std::string> foreign;
    for (const auto& entry : image.imports) {
        const std::string& library = entry.first;
        const bool isAllowed = std::any_of(allowed.begin(), allowed.end(),
                                           [&](std::string_view name) { return EqualsNoCase(library, name); });
        if (!isAllowed && !EqualsNoCase(std::string_view(library).substr(0, 11), "api-ms-win-")) foreign.push_back(library);
    }
    return foreign;
}

}  // namespace lt77::test_support
