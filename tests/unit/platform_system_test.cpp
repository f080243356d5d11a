// The system layer of the edition under test, on the real system.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "platform/platform.h"

namespace tavolin {
namespace {

class PlatformSystem : public ::testing::Test {
 protected:
  std::unique_ptr<System> system = makeSystem();

  std::string tempPath(const std::string& name) {
    const char* tmp = std::getenv("TMPDIR");
    std::string folder = system->getEnvironment("TEMP").value_or(tmp ? tmp : "/tmp");
    return system->joinPath(folder, name);
  }

  static std::string readBytes(const std::string& path) {
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return "<missing>";
    std::string bytes;
    char buffer[256];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) bytes.append(buffer, n);
    std::fclose(f);
    return bytes;
  }
};

TEST_F(PlatformSystem, ErrorTexts) {
  const std::string missingFile = system->getErrorText(2);  // file not found / no such file
  EXPECT_FALSE(missingFile.empty());
  EXPECT_EQ(missingFile.back(), '\n');
  EXPECT_EQ(missingFile.find("Unknown error"), std::string::npos) << missingFile;
  EXPECT_EQ(system->getErrorText(0x7FFFFF00u), "Unknown error from GetLastError(): 2147483392l\n");
}

TEST_F(PlatformSystem, ApplicationPathIsTheFolderOfTheProgram) {
  const std::string folder = system->getApplicationPath();
  ASSERT_FALSE(folder.empty());
  EXPECT_NE(folder.back(), system->pathSeparator());
  EXPECT_TRUE(system->isDirectory(folder));
}

TEST_F(PlatformSystem, TextFilesLeaveInTheEditionsEncoding) {
  const std::string path = tempPath("tavolin_platform_test.txt");
  auto file = system->openTextFile(path, System::FileMode::Replace);
  ASSERT_NE(file, nullptr);
  file->write("L\xE4nge\n");
  file.reset();
  auto again = system->openTextFile(path, System::FileMode::Append);
  ASSERT_NE(again, nullptr);
  again->write("2\n");
  again.reset();
  EXPECT_TRUE(system->canReadFile(path));
  const std::string expected = system->textEncoding() == StdioTextFile::Encoding::Utf8
                                   ? "L\xC3\xA4nge\n2\n"   // Linux: UTF-8, "\n"
                                   : "L\xE4nge\r\n2\r\n";  // Windows: Windows-1252, text mode
  EXPECT_EQ(readBytes(path), expected);
  std::remove(path.c_str());
  EXPECT_FALSE(system->canReadFile(path));
}

}  // namespace
}  // namespace tavolin
