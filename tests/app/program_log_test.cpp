// The Windows program's own log: appended across starts, and moved aside once it has grown too big.
#include <gtest/gtest.h>

#include "app/program_log.h"
#include "platform/file_util.h"
#include "web/temp_folder.h"

namespace iec {
namespace {

TEST(ProgramLog, AppendsAcrossStartsAndKeepsOneOlderFileWhenFull) {
    test::TempFolder folder;
    const auto file = folder.path() / kProgramLogName;
    { OpenProgramLog(file, 100) << "first start\n"; }
    { OpenProgramLog(file, 100) << "second start\n"; }
    EXPECT_EQ(ReadFileBytes(file), "first start\nsecond start\n");

    { OpenProgramLog(file, 100) << std::string(120, 'x') << "\n"; }
    // Beyond the limit: the next start begins a new file, the full one is kept once.
    { OpenProgramLog(file, 100) << "third start\n"; }
    EXPECT_EQ(ReadFileBytes(file), "third start\n");
    auto kept = file;
    kept += ".1";
    EXPECT_EQ(ReadFileBytes(kept), "first start\nsecond start\n" + std::string(120, 'x') + "\n");
    { OpenProgramLog(file, 5) << "fourth start\n"; }
    EXPECT_EQ(ReadFileBytes(kept), "third start\n");
}

}  // namespace
}  // namespace iec
