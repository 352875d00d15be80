#include "tools/pack.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <exception>
#include <filesystem>
#include <new>
#include <system_error>

#include "base/file_ptr.h"
#include "base/path.h"
#include "payload/cache.h"
#include "payload/index_format.h"
#include "text/record.h"
#include "text/tagfile.h"
#include "text/text.h"
#include "system/temp_register.h"
#include "tools/pe_image.h"

namespace mg {

namespace fs = std::filesystem;

namespace {


[[noreturn]] void fail(const std::string& message) { throw PackError{message}; }

std::int64_t sizeOf(const String& path) {
    std::error_code ec;
    if (!fs::is_regular_file(fs::path(std::string(path)), ec)) fail(std::string("cannot read ") + std::string(path) + ": no such file");
    auto size = fs::file_size(fs::path(std::string(path)), ec);
    if (ec) fail(std::string("cannot read ") + std::string(path) + ": " + ec.message());
    return static_cast<std::int64_t>(size);
}

bool parseId(const std::string& text, std::int32_t& id) {
    if (text.empty()) return false;
    std::size_t i = text[0] == '-' ? 1 : 0;
    if (i == text.size()) return false;
    std::int64_t v = 0;
    for (; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9') return false;
        v = v * 10 + (text[i] - '0');
        if (v > 0x80000000LL) return false;
    }
    if (text[0] == '-') v = -v;
    if (v > 0x7FFFFFFFLL) return false;
    id = static_cast<std::int32_t>(v);
    return true;
}

// A packed launcher, signed or not.
bool carriesIndex(const String& path) {
    FilePtr f(std::fopen(path.c_str(), "rb"));
    return f && magicEndsAt(f.get(), trailerEnd(f.get()));
}

bool isSigned(const String& path, CertificateTable& table) {
    FilePtr f(std::fopen(path.c_str(), "rb"));
    return f && findCertificateTable(f.get(), table);
}

std::string readWhole(const String& path, std::int64_t expected) {
    FilePtr in(std::fopen(path.c_str(), "rb"));
    if (!in) fail(std::string("cannot read ") + std::string(path) + ": " + std::strerror(errno));
    std::string bytes(static_cast<std::size_t>(expected), '\0');
    if (expected > 0 && std::fread(&bytes[0], 1, bytes.size(), in.get()) != bytes.size())
        fail(std::string("cannot read ") + std::string(path));
    if (std::fgetc(in.get()) != EOF) fail(std::string(path) + " changed while it was being copied");
    return bytes;
}

void copyInto(std::FILE* out, const String& path, std::int64_t expected, PeChecksum& checksum) {
    FilePtr in(std::fopen(path.c_str(), "rb"));
    if (!in) fail(std::string("cannot read ") + std::string(path) + ": " + std::strerror(errno));
    std::vector<char> buffer(64 * 1024);
    std::int64_t copied = 0;
    std::size_t got;
    while ((got = std::fread(buffer.data(), 1, buffer.size(), in.get())) > 0) {
        if (std::fwrite(buffer.data(), 1, got, out) != got) fail("cannot write the output");
        checksum.add(buffer.data(), got);
        copied += static_cast<std::int64_t>(got);
    }
    if (std::ferror(in.get())) fail(std::string("cannot read ") + std::string(path));
    // The index records the size measured before; a file that changed
    // meanwhile would leave every later offset wrong.
    if (copied != expected) fail(std::string(path) + " changed while it was being copied");
}

String entryName(const PackFile& f) { return f.nameGiven ? f.name : lastComponent(f.path); }

// fnv1a64 over the type, name and bytes of every file of the two types, in
// order: what names a payload version in the cache.
std::uint64_t versionOf(const PackRequest& request, int type, int otherType) {
    std::uint64_t digest = fnv1a64(String());
    std::vector<char> buffer(64 * 1024);
    for (const PackFile& f : request.files) {
        if (f.type != type && f.type != otherType) continue;
        digest = fnv1a64(String(1, static_cast<char>(f.type)) + entryName(f) + String(1, '\0'), digest);
        FilePtr in(std::fopen(f.path.c_str(), "rb"));
        if (!in) fail(std::string("cannot read ") + std::string(f.path) + ": " + std::strerror(errno));
        std::size_t got;
        while ((got = std::fread(buffer.data(), 1, buffer.size(), in.get())) > 0)
            digest = fnv1a64(String(buffer.data(), got), digest);
    }
    return digest;
}

// The first instructions file as the launcher gets it: with CACHE_FOLDER,
// the versions of its archives and its installer are written in, replacing
// any it carried (a launcher unpacked by -mg:extract and packed again), so
// that the launcher never reads its payload to tell versions apart. Empty
// (the file as it is) without CACHE_FOLDER; at is the file's position.
std::string versionedInstructions(const PackRequest& request, std::size_t& at) {
    for (at = 0; at < request.files.size() && request.files[at].type != FT_INSTRUCTIONS; ++at) {}
    if (at == request.files.size()) return std::string();
    const String& path = request.files[at].path;
    TagFile program;
    try {
        program.load(path);
    } catch (const LauncherException&) {
        return std::string();  // the checks report it
    }
    if (program.findTag(CACHE_FOLDER_TAG) == nullptr) return std::string();
    const std::string text = readWhole(path, sizeOf(path));
    std::string out;
    for (std::size_t pos = 0; pos < text.size();) {
        std::size_t end = text.find('\n', pos);
        end = end == std::string::npos ? text.size() : end + 1;
        String line = text.substr(pos, end - pos);
        trim(line);
        if (line.compare(0, std::strlen(PAYLOAD_VERSION_TAG) + 1, String(PAYLOAD_VERSION_TAG) + ":") != 0 &&
            line.compare(0, std::strlen(INSTALLER_VERSION_TAG) + 1, String(INSTALLER_VERSION_TAG) + ":") != 0)
            out += text.substr(pos, end - pos);
        pos = end;
    }
    if (!out.empty() && out.back() != '\n') out += '\n';
    out += String(PAYLOAD_VERSION_TAG) + ": " + hex16(versionOf(request, FT_CLASSPATH_ARCHIVE, FT_APPLICATION_ARCHIVE)) +
           "\n";
    out += String(INSTALLER_VERSION_TAG) + ": " + hex16(versionOf(request, FT_JVM_INSTALLER, -1)) + "\n";
    return out;
}

}  // namespace

std::string entryNameProblem(const String& name) {
    if (name.size() >= 65536) return "is 65,536 bytes or longer";
    if (name.find('\n') != String::npos) return "holds a line feed";
    // The launcher refuses to extract all of these.
    switch (entryNameFault(name)) {
    case EntryNameFault::separator:
        return "holds a path separator";
    case EntryNameFault::colon:
        return "holds a drive or stream colon";
    case EntryNameFault::noFile:
        return "names no file";
    case EntryNameFault::device:
        return "is a device's name (CON, NUL, COM1, ...)";
    case EntryNameFault::character:
        return "holds a control character or one of < > \" | ? *";
    default:
        return std::string();
    }
}

PackRequest parseBuildArguments(const std::vector<std::string>& args) {
    PackRequest r;
    auto value = [&](std::size_t& i, const std::string& option) -> std::string {
        if (i + 1 >= args.size()) fail(option + " needs a value");
        return args[++i];
    };
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--stub") {
            r.stub = value(i, a);
        } else if (a == "-o" || a == "--output") {
            r.output = value(i, a);
        } else if (a == "--file") {
            PackFile f;
            std::string type = value(i, a);
            f.type = fileTypeFromName(type);
            if (f.type < 0)
                fail("unknown file type '" + type +
                     "' (use instructions, jvm-file, launch-script, classpath-archive, jvm-installer, "
                     "verify-archive, application-archive, embedded-launcher, or 0 to 7)");
            f.path = value(i, a);
            r.files.push_back(f);
        } else if (a == "--no-check") {
            r.check = false;
        } else if (a == "--strict") {
            r.strict = true;
        } else if (a == "--icon") {
            r.branding.iconPath = value(i, a);
        } else if (a == "--manifest") {
            r.branding.manifestPath = value(i, a);
        } else if (a == "--product-name") {
            if (r.branding.productNameGiven) fail("--product-name given twice");
            r.branding.productName = value(i, a);
            r.branding.productNameGiven = true;
        } else if (a == "--version-info") {
            std::string v = value(i, a);
            std::size_t eq = v.find('=');
            std::string name = v.substr(0, eq);
            if (eq == std::string::npos || !isVersionInfoName(name))
                fail("--version-info takes NAME=VALUE with NAME one of CompanyName, FileDescription, FileVersion, "
                     "InternalName, LegalCopyright, OriginalFilename, ProductName, ProductVersion, Comments, "
                     "LegalTrademarks, PrivateBuild, SpecialBuild (got '" + v + "')");
            for (const auto& given : r.branding.versionInfo)
                if (given.first == name) fail("--version-info " + name + " given twice");
            r.branding.versionInfo.emplace_back(name, v.substr(eq + 1));
        } else if (a == "--id" || a == "--name") {
            if (r.files.empty()) fail(a + " must follow a --file");
            PackFile& f = r.files.back();
            std::string v = value(i, a);
            if (a == "--id") {
                if (f.idGiven) fail("--id given twice for " + std::string(f.path));
                if (!parseId(v, f.id)) fail("invalid id '" + v + "' (a 32-bit signed decimal number)");
                f.idGiven = true;
            } else {
                if (f.nameGiven) fail("--name given twice for " + std::string(f.path));
                f.name = v;
                f.nameGiven = true;
            }
        } else {
            fail("unknown argument '" + a + "' (see mgpack --help)");
        }
    }
    if (r.output.empty()) fail("-o is required");
    return r;
}

void addDefaultFiles(PackRequest&) {}

std::vector<FileEntry> buildLauncher(const PackRequest& request, std::vector<std::string>* notes,
                                     const std::function<void()>& beforeWriting) {
    // Everything is checked before a byte is written.
    std::int64_t stubFileSize = sizeOf(request.stub);
    if (carriesIndex(request.stub))
        fail(std::string(request.stub) + " already carries a file index (use a plain launcher as the stub)");
    if (stubFileSize > MAX_LAUNCHER_SIZE) fail("the launcher would be 2 GB or larger");
    // The stub is changed in memory: a signature would no longer match the
    // file, and would hide the trailer from tools that expect it at the end.
    CertificateTable signature;
    bool stubSigned = isSigned(request.stub, signature);
    std::string stub = readWhole(request.stub, stubFileSize);
    if (stubSigned) stripSignature(stub, signature);
    if (stubSigned && notes)
        notes->push_back(std::string(request.stub) + " carried a signature; it is removed (sign the packed launcher instead)");
    if (request.branding.any()) applyBranding(stub, request.branding);
    std::int64_t stubSize = static_cast<std::int64_t>(stub.size());

    std::vector<FileEntry> entries;
    std::vector<std::int64_t> sizes;
    std::int64_t position = stubSize;
    std::size_t versionedAt = 0;
    const std::string versioned = versionedInstructions(request, versionedAt);
    for (std::size_t i = 0; i < request.files.size(); ++i) {
        const PackFile& f = request.files[i];
        std::int64_t size = !versioned.empty() && i == versionedAt ? static_cast<std::int64_t>(versioned.size())
                                                                    : sizeOf(f.path);
        FileEntry e;
        e.type = static_cast<FileType>(f.type);
        e.id = f.idGiven ? f.id : static_cast<std::int32_t>(i);
        e.name = entryName(f);
        std::string problem = entryNameProblem(e.name);
        if (!problem.empty()) fail(std::string("the entry name of ") + std::string(f.path) + " " + problem);
        if (position + size > MAX_LAUNCHER_SIZE) fail("the launcher would be 2 GB or larger");
        e.offset = static_cast<std::int32_t>(position);
        e.length = static_cast<std::int32_t>(size);
        position += size;
        sizes.push_back(size);
        entries.push_back(std::move(e));
    }
    std::string index = encodeFileIndex(entries);
    std::int64_t total = position + static_cast<std::int64_t>(index.size()) + TRAILER_SIZE;
    if (total > MAX_LAUNCHER_SIZE) fail("the launcher would be 2 GB or larger");
    if (beforeWriting) beforeWriting();

    // Written beside the target and renamed, so a failure never leaves a
    // half-written launcher under the final name.
    String temporary = request.output + ".mgpack-tmp";
    {
        FilePtr out(std::fopen(temporary.c_str(), "w+b"));
        if (!out) fail(std::string("cannot create ") + std::string(temporary) + ": " + std::strerror(errno));
        try {
            // A checksum the stub sets is kept true for the whole file.
            std::size_t checksumAt = checksumFieldInUse(stub);
            if (checksumAt) putLE32(stub, checksumAt, 0);
            PeChecksum checksum;
            checksum.add(stub.data(), stub.size());
            if (std::fwrite(stub.data(), 1, stub.size(), out.get()) != stub.size()) fail("cannot write the output");
            for (std::size_t i = 0; i < entries.size(); ++i) {
                if (!versioned.empty() && i == versionedAt) {
                    if (std::fwrite(versioned.data(), 1, versioned.size(), out.get()) != versioned.size())
                        fail("cannot write the output");
                    checksum.add(versioned.data(), versioned.size());
                } else {
                    copyInto(out.get(), request.files[i].path, sizes[i], checksum);
                }
            }
            std::string tail = index + encodeTrailer(static_cast<std::uint32_t>(position));
            checksum.add(tail.data(), tail.size());
            std::string field(4, '\0');
            putLE32(field, 0, checksum.finish());
            if (std::fwrite(tail.data(), 1, tail.size(), out.get()) != tail.size() ||
                (checksumAt && (std::fseek(out.get(), static_cast<long>(checksumAt), SEEK_SET) != 0 ||
                                std::fwrite(field.data(), 1, 4, out.get()) != 4)) ||
                std::fflush(out.get()) != 0)
                fail("cannot write " + std::string(temporary));
        } catch (...) {
            out.reset();
            std::remove(temporary.c_str());
            throw;
        }
        if (std::fclose(out.release()) != 0) {
            std::remove(temporary.c_str());
            fail("cannot write " + std::string(temporary));
        }
    }
    std::error_code ec;
    fs::rename(fs::path(std::string(temporary)), fs::path(std::string(request.output)), ec);
    if (ec) {
        std::remove(temporary.c_str());
        fail(std::string("cannot rename ") + std::string(temporary) + " to " + std::string(request.output) + ": " + ec.message());
    }
    return entries;
}

int exitStatusOf(const std::function<int()>& command) {
    try {
        return command();
    } catch (const PackError& e) {
        std::fprintf(stderr, "mgpack: %s\n", e.message.c_str());
        return 1;
    } catch (const std::bad_alloc&) {
        std::fprintf(stderr, "mgpack: not enough memory\n");
    } catch (const LauncherException& e) {
        std::fprintf(stderr, "mgpack: %s\n", e.message().c_str());
    } catch (const std::exception& e) {
        std::fprintf(stderr, "mgpack: internal error (%s)\n", e.what());
    } catch (...) {
        std::fprintf(stderr, "mgpack: internal error\n");
    }
    return 2;
}

std::vector<std::unique_ptr<FileEntry>> readLauncherIndex(const String& path, bool& hasIndex) {
    FilePtr f(std::fopen(path.c_str(), "rb"));
    if (!f) fail(std::string("cannot read ") + std::string(path) + ": " + std::strerror(errno));
    std::vector<std::unique_ptr<FileEntry>> entries;
    try {
        hasIndex = readFileIndex(f.get(), entries);
    } catch (const LauncherException& e) {
        fail(std::string(path) + ": " + std::string(e.message()));
    }
    return entries;
}

}  // namespace mg
