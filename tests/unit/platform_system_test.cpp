// The system layer of the edition under test, on the real system.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

#include "platform/platform.h"

namespace tavolin {
namespace {

TEST(PlatformSystem, ErrorTextsAndApplicationPath) {
  const auto system = makeSystem();
  const std::string text = system->getErrorText(2);  // file not found / no such file: the system's text
  EXPECT_TRUE(!text.empty() && text.back() == '\n' && text.find("Unknown error") == text.npos) << text;
  EXPECT_EQ(system->getErrorText(0x7FFFFF00u), "Unknown error from GetLastError(): 2147483392l\n");

  const std::string folder = system->getApplicationPath();  // the folder of the program
  EXPECT_TRUE(!folder.empty() && folder.back() != system->pathSeparator() && system->isDirectory(folder)) << folder;
}

// Linux writes UTF-8 and "\n", Windows its code page and "\r\n" (text mode).
TEST(PlatformSystem, TextFilesLeaveInTheEditionsEncoding) {
  const auto system = makeSystem();
  const std::string path = ::testing::TempDir() + "tavolin_platform_test.txt";
  for (const auto mode : {System::FileMode::Replace, System::FileMode::Append}) {
    auto file = system->openTextFile(path, mode);
    ASSERT_NE(file, nullptr);
    file->write(mode == System::FileMode::Replace ? "L\xE4nge\n" : "2\n");
  }
  EXPECT_TRUE(system->canReadFile(path));
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(std::ifstream(path, std::ios::binary).rdbuf()), {}),
            system->textEncoding() == StdioTextFile::Encoding::Utf8 ? "L\xC3\xA4nge\n2\n" : "L\xE4nge\r\n2\r\n");
  std::remove(path.c_str());
  EXPECT_FALSE(system->canReadFile(path));
}

}  // namespace
}  // namespace tavolin
