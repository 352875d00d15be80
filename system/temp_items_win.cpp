#include "system/temp_items.h"

#include "system/cleanup.h"
#include "system/temp.h"

namespace mg {

namespace {

class SystemTempItems : public TempItems {
public:
    String createTempFile() override { return mg::createTempFile(); }
    String createTempDir() override { return mg::createTempDir(); }
    void unregisterTempFile(const String& path) override { mg::unregisterTempFile(path); }
    void unregisterTempDir(const String& path) override { mg::unregisterTempDir(path); }
    void deletePath(const String& path) override { mg::deletePath(path); }
    bool fileExists(const String& path) override { return mg::fileExists(path); }
};

}  // namespace

std::unique_ptr<TempItems> makeSystemTempItems() { return std::make_unique<SystemTempItems>(); }

}  // namespace mg
