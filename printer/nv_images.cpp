#include "printer/nv_images.h"

namespace lt77::printer {

NvImage NvImageFromPicture(const RasterPicture& picture)
{
    NvImage image;
    image.width = picture.width;
    image.height = picture.height;
    image.bits.assign(static_cast<std::size_t>(image.BytesPerRow()) * image.height, 0);
    for (uint32_t y = 0; y < picture.height; ++y)
        for (uint32_t x = 0; x < picture.width; ++x)
            if (picture.At(x, y) < 128)
                image.bits[static_cast<std::size_t>(y) * image.BytesPerRow() + x / 8] |=
                    static_cast<uint8_t>(0x80 >> (x % 8));
    return image;
}

std::size_t NvImages::UsedBytes() const
{
    std::size_t used = 0;
    for (const auto& [number, image] : bitImages_) used += image.bits.size();
    for (const auto& [key, image] : graphics_) used += image.bits.size();
    return used;
}

bool NvImages::DefineBitImages(std::vector<NvImage> images)
{
    std::size_t size = 0;
    for (const auto& image : images) size += image.bits.size();
    std::size_t graphics = 0;
    for (const auto& [key, image] : graphics_) graphics += image.bits.size();
    if (images.size() > 255 || size + graphics > kCapacityBytes) return false;
    bitImages_.clear();
    for (std::size_t i = 0; i < images.size(); ++i) bitImages_[static_cast<uint8_t>(i + 1)] = std::move(images[i]);
    return true;
}

bool NvImages::DefineBitImage(uint8_t number, NvImage image)
{
    const auto old = bitImages_.find(number);
    const std::size_t freed = old == bitImages_.end() ? 0 : old->second.bits.size();
    if (number == 0 || UsedBytes() - freed + image.bits.size() > kCapacityBytes) return false;
    bitImages_[number] = std::move(image);
    return true;
}

const NvImage* NvImages::BitImage(uint8_t number) const
{
    const auto it = bitImages_.find(number);
    return it == bitImages_.end() ? nullptr : &it->second;
}

bool NvImages::DefineGraphic(const std::string& key, NvImage image)
{
    const auto old = graphics_.find(key);
    const std::size_t freed = old == graphics_.end() ? 0 : old->second.bits.size();
    if (UsedBytes() - freed + image.bits.size() > kCapacityBytes) return false;
    graphics_[key] = std::move(image);
    return true;
}

const NvImage* NvImages::Graphic(const std::string& key) const
{
    const auto it = graphics_.find(key);
    return it == graphics_.end() ? nullptr : &it->second;
}

}  // namespace lt77::printer
