#include "host/driver_data.h"

#include <filesystem>
#include <fstream>

#include "common/printer_data_names.h"
#include "common/settings.h"
#include "common/utf.h"
#include "host/queue_admin.h"
#include "platform/platform.h"

namespace lt77::host {
namespace {

std::string Field(std::string_view v) { return v.empty() ? "_NULL_" : std::string(v); }

std::optional<std::string> WriteFile(const std::string& windowsPath, const std::string& content)
{
    const std::filesystem::path path = HostPathOf(windowsPath);
    std::error_code ec;
    std::filesystem::create_directories(path.parent_path(), ec);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out.write(content.data(), static_cast<std::streamsize>(content.size())))
        return path.string() + ": cannot write the file";
    return std::nullopt;
}

}  // namespace

std::optional<std::string> SetTextKey(std::string_view queue, int index, std::string_view marker,
                                      std::string_view image, std::string_view alternate, std::string_view coupon)
{
    if (index < 0 || index > 99) return "a text-key index is 0 to 99";
    if (marker.empty()) return "a text key needs its marker";
    auto handle = OpenCoreQueue(queue);
    PrinterDataValue count;
    uint8_t n = 0;
    if (SystemPlatform().spooler.GetData(handle->Handle(), kTextKeyKey, kNumTextKeyValue, 16, count) == 0 &&
        count.bytes.size() == 1)
        n = count.bytes[0];
    char name[24];
    std::snprintf(name, sizeof(name), "TextKey%02d", index);
    const std::string definition =
        std::string(marker) + "\t" + Field(image) + "\t" + Field(alternate) + "\t" + Field(coupon);
    if (auto e = SetPrinterData(queue, kTextKeyKey, name, PrinterDataValue{REG_SZ_TYPE, Utf16ToBytes(Utf8ToUtf16(definition), true)}))
        return e;
    n = std::max<uint8_t>(n, static_cast<uint8_t>(index + 1));
    return SetPrinterData(queue, kTextKeyKey, kNumTextKeyValue, PrinterDataValue{REG_BINARY_TYPE, {n}});
}

std::optional<std::string> SetBarcodeSlot(std::string_view queue, bool twoDimensional, int slot,
                                          const std::vector<uint8_t>& bytes)
{
    const std::size_t entry = twoDimensional ? kCodeDataEntrySize : kBarcodeInfoEntrySize;
    const int slots = twoDimensional ? 8 : 9;
    if (slot < 1 || slot > slots) return std::string("a slot is 1 to ") + std::to_string(slots);
    if (bytes.size() != entry) return "a slot holds " + std::to_string(entry) + " bytes";
    const char* value = twoDimensional ? kCodeDataValue : kBarcodeInfoValue;
    auto handle = OpenCoreQueue(queue);
    PrinterDataValue current;
    std::vector<uint8_t> table;
    if (SystemPlatform().spooler.GetData(handle->Handle(), kPropertiesKey, value, 160, current) == 0)
        table = current.bytes;
    if (table.empty()) {
        if (twoDimensional) {
            const auto d = DefaultCodeData();
            table.assign(d.begin(), d.end());
        } else {
            const auto d = DefaultBarcodeInfo();
            table.assign(d.begin(), d.begin() + 45);  // nine slots, as the settings pages write them
        }
    }
    const std::size_t at = static_cast<std::size_t>(slot - 1) * entry;
    if (table.size() < at + entry) table.resize(at + entry, 0);
    std::copy(bytes.begin(), bytes.end(), table.begin() + static_cast<std::ptrdiff_t>(at));
    return SetPrinterData(queue, kPropertiesKey, value, PrinterDataValue{REG_BINARY_TYPE, table});
}

std::optional<std::string> SetControlCode(char character, const std::vector<uint8_t>& bytes)
{
    const std::string path = JoinPath(SystemPlatform().files.PrintProcessorFolder(), "LT77.INI");
    const std::filesystem::path hostPath = HostPathOf(path);
    std::string text;
    {
        std::ifstream in(hostPath, std::ios::binary);
        text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    if (text.find("[ZozaRurodirA]") == std::string::npos) text += "[ZozaRurodirA]\r\n";
    char key[8];
    std::snprintf(key, sizeof(key), "%02x=", static_cast<unsigned char>(character));
    std::string line = key;
    static const char* kHex = "0123456789ABCDEF";
    for (uint8_t b : bytes) {
        line.push_back(kHex[b >> 4]);
        line.push_back(kHex[b & 15]);
    }
    // Later lines of a key are never read; a changed key replaces its line.
    const std::size_t old = text.find("\n" + std::string(key));
    if (old != std::string::npos) text.erase(old + 1, text.find('\n', old + 1) - old);
    text += line + "\r\n";
    return WriteFile(path, text);
}

std::optional<std::string> InstallImageFile(std::string_view name, const std::vector<uint8_t>& bytes)
{
    const std::string path =
        JoinPath(DriverDataFolder(SystemFileSystem().WindowsFolder()), std::string(name) + ".bin");
    return WriteFile(path, std::string(bytes.begin(), bytes.end()));
}

std::vector<uint8_t> RasterCommandFor(const RasterPicture& picture)
{
    const uint32_t bytesPerRow = (picture.width + 7) / 8;
    std::vector<uint8_t> out = {0x1D, 0x76, 0x30, 0x00, static_cast<uint8_t>(bytesPerRow & 0xFF),
                                static_cast<uint8_t>(bytesPerRow >> 8), static_cast<uint8_t>(picture.height & 0xFF),
                                static_cast<uint8_t>(picture.height >> 8)};
    for (uint32_t y = 0; y < picture.height; ++y)
        for (uint32_t b = 0; b < bytesPerRow; ++b) {
            uint8_t byte = 0;
            for (uint32_t bit = 0; bit < 8; ++bit) {
                const uint32_t x = b * 8 + bit;
                if (x < picture.width && picture.At(x, y) < 128) byte |= static_cast<uint8_t>(0x80 >> bit);
            }
            out.push_back(byte);
        }
    return out;
}

}  // namespace lt77::host
