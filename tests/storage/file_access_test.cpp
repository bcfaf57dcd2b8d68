// Appending to a file the operator named: created when missing, refused
// without waiting when the name is taken by a FIFO, a device or a folder,
// and each refusal told once.
#include "storage/file_access.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "support/no_wait.h"

namespace qmx {
namespace {

namespace fs = std::filesystem;
using test::MakeFifo;
using test::ReturnsWithoutWaiting;

class FileAccessTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/qmx_file_access_XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir_ = pattern;
  }
  void TearDown() override {
    std::error_code error;
    fs::remove_all(dir_, error);
  }

  std::string At(const std::string& name) const { return dir_ + "/" + name; }
  static std::string Text(const std::string& path) {
    std::ostringstream text;
    text << std::ifstream(path, std::ios::binary).rdbuf();
    return text.str();
  }

  std::string dir_;
};

TEST_F(FileAccessTest, AMissingFileIsCreatedAndAnExistingOneAppendedTo) {
  const std::string path = At("COM.txt");
  for (const char* part : {"first ", "second"}) {
    AppendFile file(path);
    ASSERT_TRUE(file.ok()) << file.cause();
    EXPECT_FALSE(file.refused());
    EXPECT_TRUE(file.Write(part));
    EXPECT_TRUE(file.Close());
  }
  EXPECT_EQ(Text(path), "first second");
}

TEST_F(FileAccessTest, WhatIsNotARegularFileIsRefusedWithoutWaiting) {
  ASSERT_TRUE(MakeFifo(At("fifo")));
  fs::create_directory(At("folder"));
  const struct {
    std::string path;
    std::string cause;
  } cases[] = {{At("fifo"), "под этим именем находится не обычный файл"},
               {At("folder"), "под этим именем находится папка"},
               {"/dev/null", "под этим именем находится не обычный файл"}};
  for (const auto& c : cases) {
    bool opened = true;
    bool refused = false;
    std::string cause;
    ASSERT_TRUE(ReturnsWithoutWaiting(At("fifo"), [&] {
      AppendFile file(c.path);
      opened = file.ok();
      refused = file.refused();
      cause = file.cause();
    })) << c.path;
    EXPECT_FALSE(opened) << c.path;
    EXPECT_TRUE(refused) << c.path;
    EXPECT_EQ(cause, c.cause) << c.path;
  }
  EXPECT_TRUE(fs::is_fifo(At("fifo")));
}

TEST(RefusalNotices, EachNameIsToldOnceAndAgainOnlyAfterAWrite) {
  RefusalNotices notices;
  EXPECT_TRUE(notices.FirstRefusal("/tmp/a"));
  EXPECT_FALSE(notices.FirstRefusal("/tmp/a"));
  EXPECT_TRUE(notices.FirstRefusal("/tmp/b"));
  notices.Written("/tmp/b");
  EXPECT_FALSE(notices.FirstRefusal("/tmp/a"));
  EXPECT_TRUE(notices.FirstRefusal("/tmp/b"));
  notices.Written("/tmp/a");
  EXPECT_TRUE(notices.FirstRefusal("/tmp/a"));
}

}  // namespace
}  // namespace qmx
