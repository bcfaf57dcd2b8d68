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
#include <functional>
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

// The kept trace file: whatever happened to the name between two parts, the
// second goes to the file under the name then, and each part is in the file
// as soon as Append returns (read here while the file is still held).
TEST_F(FileAccessTest, AKeptFileFollowsItsNameFromPartToPart) {
  const std::string path = At("COM.txt");
  const struct {
    const char* between;
    std::function<void()> act;
    std::string moved;  // what the file moved aside holds afterwards
    std::string after;  // what the name holds afterwards
  } cases[] = {
      {"nothing", [] {}, "", "first second"},
      {"deleted", [&] { fs::remove(path); }, "", "second"},
      {"renamed", [&] { fs::rename(path, At("old.txt")); }, "first ", "second"},
      {"replaced",
       [&] {
         fs::rename(path, At("old.txt"));
         std::ofstream(path) << "new ";
       },
       "first ", "new second"},
      {"released", [] {}, "", "first second"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.between);
    fs::remove(path);
    fs::remove(At("old.txt"));
    KeptAppendFile file;
    ASSERT_EQ(file.Append(path, "first "), KeptAppendFile::Outcome::kWritten) << file.cause();
    EXPECT_EQ(Text(path), "first ");
    c.act();
    if (std::string(c.between) == "released") file.Release();
    EXPECT_EQ(file.Append(path, "second"), KeptAppendFile::Outcome::kWritten);
    EXPECT_TRUE(file.open());
    EXPECT_EQ(Text(path), c.after);
    EXPECT_EQ(fs::exists(At("old.txt")) ? Text(At("old.txt")) : "", c.moved);
  }
  // Another name: the part goes there.
  KeptAppendFile file;
  ASSERT_EQ(file.Append(path, "x"), KeptAppendFile::Outcome::kWritten);
  EXPECT_EQ(file.Append(At("other.txt"), "y"), KeptAppendFile::Outcome::kWritten);
  EXPECT_EQ(Text(At("other.txt")), "y");
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
