// Small PE images for mgpack's tests: headers alone, and a stand-in for
// mglauncher.exe that carries the launcher's MGLAUNCHER resource, as mgpack
// recognises a launcher by it.
#pragma once

#include <cstdint>
#include <string>

#include "tools/pe_image.h"
#include "tools/pe_resources.h"

namespace mg {

// A PE32 image of headers only (no sections, no resources): 0x400 bytes.
inline std::string bareImage() {
    std::string h(0x400, '\0');
    h[0] = 'M', h[1] = 'Z';
    putLE32(h, 0x3C, 0x40);
    putLE32(h, 0x40, 0x00004550u);
    putLE16(h, 0x44, 0x14C);
    putLE16(h, 0x54, 224);
    const std::size_t opt = 0x58;
    putLE16(h, opt, 0x10B);
    putLE32(h, opt + 32, 0x1000);  // section alignment
    putLE32(h, opt + 36, 0x200);   // file alignment
    putLE32(h, opt + 56, 0x1000);  // size of image
    putLE32(h, opt + 60, 0x400);   // size of headers
    putLE32(h, opt + 64, 1);       // a checksum is set
    putLE16(h, opt + 68, 2);       // the GUI subsystem
    putLE32(h, opt + 92, 16);
    return h;
}

// A stand-in launcher of exactly size bytes (zeros after its resources),
// for the console subsystem when console is set.
inline std::string launcherStandIn(std::size_t size, bool console = false) {
    std::string image = bareImage();
    if (console) putLE16(image, 0x58 + 68, 3);
    Resource marker;
    marker.type.id = 10;
    marker.name.text = u"MGLAUNCHER";
    marker.data = std::string("Marrowgate launcher", 20);
    writeResources(image, {marker});
    if (image.size() < size) image.resize(size, '\0');
    return image;
}

}  // namespace mg
