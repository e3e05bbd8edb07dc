#include "platform/program_folder.h"

#include <gtest/gtest.h>

namespace iec {
namespace {

TEST(ProgramFolder, DirOptionIsTakenOutOfTheArguments) {
    std::vector<std::string> args{"check-config", "--dir", "/tmp/x/../y", "--json"};
    std::string error;
    EXPECT_EQ(TakeProgramFolder(args, error), std::filesystem::path("/tmp/y"));
    EXPECT_EQ(error, "");
    EXPECT_EQ(args, (std::vector<std::string>{"check-config", "--json"}));

    std::vector<std::string> eq{"--dir=/srv/a"};
    EXPECT_EQ(TakeProgramFolder(eq, error), std::filesystem::path("/srv/a"));
    EXPECT_TRUE(eq.empty());
}

TEST(ProgramFolder, DefaultIsTheExecutablesFolder) {
    std::vector<std::string> args{"check-config"};
    std::string error;
    EXPECT_EQ(TakeProgramFolder(args, error), ExecutablePath().parent_path());
    EXPECT_FALSE(ExecutablePath().empty());
    std::vector<std::string> dangling{"--dir"};
    TakeProgramFolder(dangling, error);
    EXPECT_FALSE(error.empty());
}

}  // namespace
}  // namespace iec
