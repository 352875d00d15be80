// The resources of a PE image as a flat list, and the branding mgpack puts
// into a launcher stub: the vendor's icon, version information and manifest,
// and the product's name in the launcher's string tables. Everything else in
// the resources (dialogs, the other texts) is kept.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace mg {

// A resource type or name: a number, or (when text is not empty) a name.
struct ResourceKey {
    std::uint16_t id = 0;
    std::u16string text;
    bool operator==(const ResourceKey& o) const { return id == o.id && text == o.text; }
};

struct Resource {
    ResourceKey type, name;
    std::uint16_t language = 0;
    std::uint32_t codePage = 0;
    std::string data;
};

constexpr std::uint16_t RT_ICON_ID = 3, RT_STRING_ID = 6, RT_GROUP_ICON_ID = 14, RT_VERSION_ID = 16,
                        RT_MANIFEST_ID = 24;
// The launcher's icon group: the progress dialog and Explorer show it.
constexpr std::uint16_t LAUNCHER_ICON_GROUP = 104;

// Reads the resource tree of image. Throws PackError on a damaged tree.
std::vector<Resource> readResources(const std::string& image);

// Writes resources as the image's resource section: in place when the new
// tree fits the old section, else as a new last section (the old one stays,
// renamed, unused). Headers and checksum follow.
void writeResources(std::string& image, std::vector<Resource> resources);

struct Branding {
    std::string iconPath, manifestPath;
    std::vector<std::pair<std::string, std::string>> versionInfo;  // name, value (UTF-8)
    bool productNameGiven = false;
    std::string productName;  // --product-name, UTF-8
    bool any() const {
        return !iconPath.empty() || !manifestPath.empty() || !versionInfo.empty() || productNameGiven;
    }
    // The name the launcher's texts take: --product-name, else the
    // version information's ProductName. False when there is none.
    bool textName(std::string& name) const;
};

// The string that captions a branded launcher's message boxes; a launcher
// without it says "Message".
constexpr std::uint16_t MESSAGE_CAPTION_STRING = 41;
// The introductory text names the product twice in three lines of the
// progress window: a longer name would be cut off there.
constexpr std::size_t MAX_PRODUCT_NAME = 40;

// Why name (UTF-8) cannot be the product name, or empty when it can.
std::string productNameProblem(const std::string& name);

// One RT_STRING block: its 16 strings (ids 16 * (block - 1) onwards).
// Throws PackError when a length runs past the data.
std::vector<std::u16string> readStringBlock(const std::string& data);
std::string encodeStringBlock(const std::vector<std::u16string>& strings);

// Puts name into every language's string table: in place of the launcher's
// own name wherever a text names it, and as the message boxes' caption.
// Throws PackError when no text names the launcher (a stub edited or
// branded already) or a table is damaged.
void brandStringTables(std::vector<Resource>& resources, const std::u16string& name);

// The version-information names --version-info accepts.
bool isVersionInfoName(const std::string& name);

// Checks and encodes the branding's files: throws PackError naming what is
// wrong, before anything is written.
struct IconImage {
    std::string groupEntry;  // width, height, colours, reserved, planes, bit count, size (12 bytes)
    std::string data;
};
std::vector<IconImage> readIcon(const std::string& path);
// The same from the file's bytes; path names the file in the messages.
std::vector<IconImage> iconImages(const std::string& bytes, const std::string& path);
std::string checkedManifest(const std::string& path);
// A VS_VERSIONINFO resource holding the given strings; a dotted numeric
// FileVersion / ProductVersion also gives the fixed version numbers.
std::string encodeVersionInfo(const std::vector<std::pair<std::string, std::string>>& strings);

// Applies the branding to a stub image in memory.
void applyBranding(std::string& image, const Branding& branding);

}  // namespace mg
