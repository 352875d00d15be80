// Match copies on Windows go to registered temporary files of payload/.
#include "jvm/jvm_file.h"
#include "system/temp.h"

namespace mg {

namespace {

class SystemTempFiles : public TempFileMaker {
public:
    String createTempFile() override { return mg::createTempFile(); }
};

}  // namespace

TempFileMaker& systemTempFiles() {
    static SystemTempFiles files;
    return files;
}

String JvmMatch::writeJvmFile() const { return writeJvmFile(systemTempFiles()); }

}  // namespace mg
