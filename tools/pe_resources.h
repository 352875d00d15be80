// The resources of a PE image as a flat list, and the branding mgpack puts
// into a launcher stub: the vendor's icon, version information and manifest.
// Everything else in the resources (string tables, dialogs) is kept.
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

constexpr std::uint16_t RT_ICON_ID = 3, RT_GROUP_ICON_ID = 14, RT_VERSION_ID = 16, RT_MANIFEST_ID = 24;
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
    bool any() const { return !iconPath.empty() || !manifestPath.empty() || !versionInfo.empty(); }
};

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
